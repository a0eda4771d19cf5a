#include "editor/json_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>
#include <QScrollBar>
#include <algorithm>
#include <array>

namespace braceform {

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Bytes of the UTF-8 sequence that starts at line[pos]; a stray byte counts alone.
std::size_t CharLength(std::string_view line, std::size_t pos) {
  auto lead = static_cast<unsigned char>(line[pos]);
  std::size_t want = lead >= 0xF0 && lead <= 0xF7   ? 4
                     : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xC2 && lead <= 0xDF ? 2
                                                    : 1;
  std::size_t n = 1;
  while (n < want && pos + n < line.size() &&
         (static_cast<unsigned char>(line[pos + n]) & 0xC0) == 0x80) {
    ++n;
  }
  return n;
}

RangeState AfterSymbol(RangeState state, unsigned char symbol) {
  switch (symbol) {
    case '{':
      return rsAttribute;
    case '[':
      return rsArrayValue;
    case ':':
      return rsObjectValue;
    case ',':
      return state == rsObjectValue ? rsAttribute : state;
    default:  // } and ]
      return rsUnknown;
  }
}

std::string_view WithoutLineBreak(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

void JsonScanner::SetLine(std::string_view line, RangeState state) {
  line_ = line;
  run_ = 0;
  tokenPos_ = 0;
  kind_ = tkNull;
  range_ = state;
}

void JsonScanner::Next() {
  tokenPos_ = run_;
  unsigned char c = At(run_);
  switch (c) {
    case 0:
      kind_ = tkNull;
      ++run_;
      return;
    case '\n':
      kind_ = tkSpace;
      ++run_;
      return;
    case '\r':
      kind_ = tkSpace;
      ++run_;
      if (At(run_) == '\n') ++run_;
      return;
    case '"':
      ScanString();
      return;
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      ScanNumber();
      return;
    case 't':
    case 'f':
    case 'n':
      ScanLiteral();
      return;
    case '{':
    case '[':
    case ':':
    case ',':
    case '}':
    case ']':
      kind_ = tkSymbol;
      range_ = AfterSymbol(range_, c);
      ++run_;
      return;
    default:
      break;
  }
  if (c <= 0x20) {
    kind_ = tkSpace;
    ++run_;
    while (At(run_) >= 1 && At(run_) <= 0x20) ++run_;
    return;
  }
  kind_ = tkUnknown;
  run_ += CharLength(line_, run_);
}

JsonStyle JsonScanner::TokenStyle() const {
  switch (kind_) {
    case tkString:
      return range_ == rsObjectValue || range_ == rsArrayValue ? jsonValue : jsonAttribute;
    case tkReserved:
      return jsonReservedWord;
    case tkNumber:
      return jsonNumber;
    case tkSpace:
      return jsonSpace;
    case tkSymbol:
      return jsonSymbol;
    case tkUnknown:
      return jsonAttribute;
    case tkNull:
      break;
  }
  return jsonDefault;
}

void JsonScanner::SkipToStop(bool stopAtQuote, bool stopAtComma) {
  kind_ = tkUnknown;
  while (run_ < line_.size()) {
    char c = line_[run_];
    if (c == ' ' || (stopAtQuote && c == '"') || (stopAtComma && c == ',')) break;
    ++run_;
  }
  if (run_ == tokenPos_) ++run_;  // a token is never empty
}

void JsonScanner::ScanString() {
  kind_ = tkString;
  for (;;) {
    ++run_;
    if (run_ >= line_.size()) return;  // unterminated: the string ends with its line
    unsigned char c = At(run_);
    if (c == '"') {
      ++run_;
      return;
    }
    if (c != '\\') continue;
    unsigned char escaped = At(run_ + 1);
    switch (escaped) {
      case '"':
      case '/':
      case '\\':
      case 'b':
      case 'f':
      case 'n':
      case 'r':
      case 't':
        ++run_;
        break;
      case 'u':
        if (IsHexDigit(At(run_ + 2)) && IsHexDigit(At(run_ + 3)) && IsHexDigit(At(run_ + 4)) &&
            IsHexDigit(At(run_ + 5))) {
          run_ += 5;
        } else {
          SkipToStop(/*stopAtQuote=*/true, /*stopAtComma=*/false);
          return;
        }
        break;
      default:  // any other backslash is an ordinary character
        break;
    }
  }
}

void JsonScanner::ScanNumber() {
  kind_ = tkNumber;
  if (At(run_) == '-') ++run_;
  if (At(run_) == '0' && At(run_ + 1) != '.') {
    // A bare zero only stands before a space or a comma; anything else, "0}" or "012"
    // included, is not a number this scanner accepts.
    if (At(run_ + 1) == ' ' || At(run_ + 1) == ',') {
      ++run_;
    } else {
      SkipToStop(false, false);
    }
    return;
  }
  if (!IsDigit(At(run_))) return SkipToStop(false, false);
  while (IsDigit(At(run_))) ++run_;
  if (At(run_) == '.') {
    ++run_;
    if (!IsDigit(At(run_))) return SkipToStop(false, false);
    while (IsDigit(At(run_))) ++run_;
  }
  if (At(run_) == 'e' || At(run_) == 'E') {
    ++run_;
    if (At(run_) == '+' || At(run_) == '-') ++run_;
    if (!IsDigit(At(run_))) return SkipToStop(false, false);
    while (IsDigit(At(run_))) ++run_;
  }
}

void JsonScanner::ScanLiteral() {
  std::string_view word = At(run_) == 't' ? "true" : At(run_) == 'f' ? "false" : "null";
  if (line_.substr(run_, word.size()) == word) {
    kind_ = tkReserved;
    run_ += word.size();
  } else {
    SkipToStop(false, /*stopAtComma=*/true);
  }
}

ScannedJsonLine ScanJsonLine(std::string_view line, RangeState in) {
  ScannedJsonLine result;
  JsonScanner scanner;
  scanner.SetLine(line, in);
  while (!scanner.AtEnd()) {
    scanner.Next();
    result.tokens.push_back(
        {scanner.TokenPos(), scanner.TokenLength(), scanner.TokenKind(), scanner.TokenStyle()});
  }
  result.out = scanner.Range();
  return result;
}

LineStateEffect JsonLineEffect(std::string_view line) {
  LineStateEffect effect{{rsUnknown, rsAttribute, rsObjectValue, rsArrayValue}};
  JsonScanner scanner;
  scanner.SetLine(line, rsUnknown);
  while (!scanner.AtEnd()) {
    scanner.Next();
    if (scanner.TokenKind() != tkSymbol) continue;
    auto symbol = static_cast<unsigned char>(line[scanner.TokenPos()]);
    for (RangeState& s : effect.out) s = AfterSymbol(s, symbol);
  }
  return effect;
}

RangeState JsonStateAfterLines(std::string_view text, RangeState in) {
  // Bytes that can make a line fix the state, or end a value; anything else is skipped.
  static constexpr auto kInteresting = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned char c : std::string_view("{[:}]")) table[c] = 1;
    table[static_cast<unsigned char>(',')] = 2;
    table[static_cast<unsigned char>('\n')] = 4;
    table[static_cast<unsigned char>('\r')] = 4;
    return table;
  }();
  // after[s]: the state at the end of the text for state s at the start of the lines seen
  // so far (read from the end).
  LineStateEffect after{{rsUnknown, rsAttribute, rsObjectValue, rsArrayValue}};
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t start = end;
    std::uint8_t seen = 0;
    while (start > 0) {
      std::uint8_t kind = kInteresting[bytes[start - 1]];
      if (kind == 4) break;
      seen |= kind;
      --start;
    }
    // A line of plain values changes nothing; one with only commas matters only while the
    // result still tells a value from a member name.
    bool mayFix = (seen & 1) != 0;
    bool mayEndValue = (seen & 2) != 0 && after.out[rsObjectValue] != after.out[rsAttribute];
    if (mayFix || mayEndValue) {
      LineStateEffect line = JsonLineEffect(text.substr(start, end - start));
      for (RangeState& s : line.out) s = after.out[s];
      after = line;
      if (after.Fixes()) return after.out[0];
    }
    end = start;
    while (end > 0 && kInteresting[bytes[end - 1]] == 4) --end;
  }
  return after.out[in];
}

// ---------------------------------------------------------------------------------------------

namespace {

// How far around the visible lines styling reaches, and how much text the view must have
// jumped over before that text is left for later instead of being styled now.
constexpr long kMarginLines = 100;
constexpr long kSkipBytes = 64 * 1024;
// How far past the stored line states a styled line must lie to count as a jump.
constexpr long kJumpLines = 4096;

}  // namespace

JsonLexer::JsonLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString JsonLexer::description(int style) const {
  switch (style) {
    case jsonDefault:
      return QStringLiteral("Default");
    case jsonAttribute:
      return QStringLiteral("Attribute");
    case jsonReservedWord:
      return QStringLiteral("Reserved Word");
    case jsonNumber:
      return QStringLiteral("Number");
    case jsonSpace:
      return QStringLiteral("Space");
    case jsonSymbol:
      return QStringLiteral("Symbol");
    case jsonValue:
      return QStringLiteral("Value");
    default:
      return QString();
  }
}

QColor JsonLexer::defaultColor(int style) const {
  switch (style) {
    case jsonAttribute:
      return QColor(0, 0, 128);
    case jsonNumber:
      return QColor(255, 0, 0);
    case jsonSymbol:
      return QColor(0, 128, 0);
    case jsonValue:
      return QColor(0, 0, 255);
    default:  // default, reserved words and spaces keep the editor's colour
      return QsciLexer::defaultColor(jsonDefault);
  }
}

QFont JsonLexer::defaultFont(int style) const {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(10);  // 13 px on a 96 dpi screen
  font.setBold(style == jsonReservedWord);
  return font;
}

QColor JsonLexer::defaultPaper(int /*style*/) const { return QsciLexer::defaultPaper(jsonDefault); }

void JsonLexer::setEditor(QsciScintilla* editor) {
  if (QsciScintilla* old = this->editor()) disconnect(old, nullptr, this, nullptr);
  if (QsciScintilla* old = this->editor())
    disconnect(old->verticalScrollBar(), nullptr, this, nullptr);
  gaps_.clear();
  QsciLexerCustom::setEditor(editor);
  if (!editor) return;
  // Lines skipped after a jump lie before the styled end, so Scintilla never asks for them
  // again; style them here as soon as they scroll into view.
  connect(editor, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { StyleVisibleGaps(); });
  connect(editor, &QsciScintillaBase::SCN_PAINTED, this, [this] { StyleVisibleGaps(); });
  connect(editor->verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int) { StyleVisibleGaps(); });
}

std::string_view JsonLexer::LineText(long line) const {
  QsciScintilla* ed = editor();
  long start = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
  long end = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1);
  if (end < start) end = ed->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  if (end <= start) return {};
  auto* text = reinterpret_cast<const char*>(ed->SendScintilla(
      QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
  return text ? std::string_view(text, end - start) : std::string_view();
}

std::pair<long, long> JsonLexer::VisibleLines() const {
  QsciScintilla* ed = editor();
  long firstVisible = ed->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
  long onScreen = std::max(1L, ed->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
  long first = ed->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                 static_cast<unsigned long>(firstVisible));
  long last = ed->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                static_cast<unsigned long>(firstVisible + onScreen));
  return {first, last + 1};
}

bool JsonLexer::InGap(long line) const {
  for (const LineRange& gap : gaps_) {
    if (line >= gap.first && line < gap.second) return true;
  }
  return false;
}

void JsonLexer::TrimGapsFrom(long line) {
  for (LineRange& gap : gaps_) gap.second = std::min(gap.second, line);
  std::erase_if(gaps_, [](const LineRange& gap) { return gap.first >= gap.second; });
}

void JsonLexer::AddGap(long first, long last) {
  if (first < last) gaps_.emplace_back(first, last);
}

RangeState JsonLexer::StateBeforeLine(long line, long validLimit) {
  // The nearest line above whose end state Scintilla holds for us; usually the line before.
  long known = std::min(line, validLimit) - 1;
  for (bool moved = true; moved && known >= 0;) {
    moved = false;
    for (const LineRange& gap : gaps_) {
      if (known >= gap.first && known < gap.second) {
        known = gap.first - 1;
        moved = true;
      }
    }
  }
  QsciScintilla* ed = editor();
  RangeState state = rsUnknown;
  if (known >= 0) {
    state =
        static_cast<RangeState>(ed->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, known) & 3);
  }
  if (known + 1 >= line) return state;
  long start = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, known + 1);
  long end = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
  if (end <= start) return state;
  auto* text = reinterpret_cast<const char*>(ed->SendScintilla(
      QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
  if (!text) return state;
  return JsonStateAfterLines(std::string_view(text, end - start), state);
}

void JsonLexer::StyleLines(long first, long last, RangeState in) {
  if (first >= last) return;
  QsciScintilla* ed = editor();
  // Scintilla keeps line states in one array as long as the highest line given a state. A
  // jump far past its end would grow it twice; size it for the whole document once instead.
  // Scrolling on from the top lets it grow as usual.
  if (last - ed->SendScintilla(QsciScintillaBase::SCI_GETMAXLINESTATE) > kJumpLines) {
    long lastLine = ed->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) - 1;
    ed->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(lastLine),
                      ed->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, lastLine));
  }
  long start = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, first);
  long lineCount = ed->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
  long end = last >= lineCount ? ed->SendScintilla(QsciScintillaBase::SCI_GETLENGTH)
                               : ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, last);
  styles_.assign(static_cast<std::size_t>(std::max(0L, end - start)), jsonDefault);

  JsonScanner scanner;
  RangeState state = in;
  for (long line = first; line < last && line < lineCount; ++line) {
    long lineStart = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    std::string_view text = LineText(line);
    std::string_view body = WithoutLineBreak(text);
    char* out = styles_.data() + (lineStart - start);
    scanner.SetLine(body, state);
    while (!scanner.AtEnd()) {
      scanner.Next();
      std::fill_n(out + scanner.TokenPos(), scanner.TokenLength(),
                  static_cast<char>(scanner.TokenStyle()));
    }
    // The line break is not part of the line the scanner sees; it is white space.
    std::fill(out + body.size(), out + text.size(), static_cast<char>(jsonSpace));
    state = scanner.Range();
    ed->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(line),
                      static_cast<long>(state));
  }
  startStyling(static_cast<int>(start));
  if (!styles_.empty()) {
    ed->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<uintptr_t>(styles_.size()),
                      styles_.data());
  }
}

void JsonLexer::styleText(int start, int end) {
  QsciScintilla* ed = editor();
  if (!ed || end <= start) return;
  long firstLine =
      ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
  long lastLine = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                    static_cast<unsigned long>(end - 1)) +
                  1;
  // Everything from here on is unstyled in Scintilla's eyes, skipped runs included.
  TrimGapsFrom(firstLine);

  // Style what is in view, not everything between the last styled line and the view: after
  // a jump to the end of a large document that would be the whole document.
  auto [visibleFirst, visibleLast] = VisibleLines();
  auto lineStart = [ed](long line) {
    return ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
  };
  long from = firstLine;
  long wantFirst = visibleFirst - kMarginLines;
  if (wantFirst > firstLine && lineStart(wantFirst) - lineStart(firstLine) > kSkipBytes) {
    from = wantFirst;
  }
  long to = lastLine;
  long wantLast = std::max(from, visibleLast + kMarginLines);
  long afterWanted = static_cast<long>(end) - lineStart(wantLast);
  if (wantLast < lastLine && afterWanted > kSkipBytes) {
    to = wantLast;
  }
  if (from >= to) return;

  RangeState in = StateBeforeLine(from, firstLine);
  AddGap(firstLine, from);
  StyleLines(from, to, in);
}

void JsonLexer::StyleVisibleGaps() {
  QsciScintilla* ed = editor();
  if (!ed || gaps_.empty() || filling_) return;
  filling_ = true;
  long endStyled = ed->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
  long endLine = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                   static_cast<unsigned long>(endStyled));
  TrimGapsFrom(endLine);
  auto [visibleFirst, visibleLast] = VisibleLines();
  long wantFirst = std::max(0L, visibleFirst - kMarginLines);
  long wantLast = visibleLast + kMarginLines;
  std::vector<LineRange> todo;
  std::vector<LineRange> keep;
  for (const LineRange& gap : gaps_) {
    long a = std::max(gap.first, wantFirst);
    long b = std::min(gap.second, wantLast);
    if (a >= b) {
      keep.push_back(gap);
      continue;
    }
    todo.emplace_back(a, b);
    if (gap.first < a) keep.emplace_back(gap.first, a);
    if (b < gap.second) keep.emplace_back(b, gap.second);
  }
  if (!todo.empty()) {
    gaps_ = std::move(keep);
    for (const LineRange& range : todo)
      StyleLines(range.first, range.second, StateBeforeLine(range.first, endLine));
    // Styling a run moved Scintilla's styled end back into it; nothing after it changed.
    ed->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(endStyled),
                      0L);
  }
  filling_ = false;
}

}  // namespace braceform
