#pragma once
// JSON syntax colouring for the editor. The scanner colours what it sees token by token and
// never checks the document; the state it carries from line to line only decides whether a
// string is a member name (navy) or a value (blue).
#include <Qsci/qscilexercustom.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

class QsciScintilla;

namespace braceform {

enum tkTokenKind : std::uint8_t {
  tkString,
  tkReserved,
  tkNull,
  tkNumber,
  tkSpace,
  tkSymbol,
  tkUnknown
};

enum RangeState : std::uint8_t { rsUnknown, rsAttribute, rsObjectValue, rsArrayValue };

// The display attributes, numbered as the editor's styles. tkNull uses jsonDefault, which is
// the editor's own colour and font.
enum JsonStyle : std::uint8_t {
  jsonDefault = 0,
  jsonAttribute = 1,
  jsonReservedWord = 2,
  jsonNumber = 3,
  jsonSpace = 4,
  jsonSymbol = 5,
  jsonValue = 6,
};
inline constexpr int kJsonStyleCount = 7;

// Scans one line of UTF-8 bytes (without its line break). Offsets and lengths are in bytes;
// what the rules call one character is one whole UTF-8 sequence.
class JsonScanner {
 public:
  void SetLine(std::string_view line, RangeState state);
  bool AtEnd() const { return run_ >= line_.size(); }
  void Next();

  std::size_t TokenPos() const { return tokenPos_; }
  std::size_t TokenLength() const { return run_ - tokenPos_; }
  tkTokenKind TokenKind() const { return kind_; }
  JsonStyle TokenStyle() const;

  RangeState Range() const { return range_; }
  void SetRange(RangeState state) { range_ = state; }
  void ResetRange() { range_ = rsUnknown; }

 private:
  unsigned char At(std::size_t i) const {
    return i < line_.size() ? static_cast<unsigned char>(line_[i]) : 0;
  }
  void SkipToStop(bool stopAtQuote, bool stopAtComma);
  void ScanString();
  void ScanNumber();
  void ScanLiteral();

  std::string_view line_;
  std::size_t run_ = 0;
  std::size_t tokenPos_ = 0;
  tkTokenKind kind_ = tkNull;
  RangeState range_ = rsUnknown;
};

struct JsonToken {
  std::size_t start;
  std::size_t length;
  tkTokenKind kind;
  JsonStyle style;
};

struct ScannedJsonLine {
  std::vector<JsonToken> tokens;
  RangeState out;
};

ScannedJsonLine ScanJsonLine(std::string_view line, RangeState in);

// The state at the end of a line for each state at its start. Tokens never depend on the
// state, so one pass gives all four; lines with a brace, bracket or colon fix the state.
struct LineStateEffect {
  RangeState out[4];
  bool Fixes() const { return out[0] == out[1] && out[1] == out[2] && out[2] == out[3]; }
};
LineStateEffect JsonLineEffect(std::string_view line);

// The state after whole lines of text (any line breaks) that start in state in. Reads from
// the end and stops at the last line that fixes the state, so a long run of lines costs a
// byte scan, not a scan of every token.
RangeState JsonStateAfterLines(std::string_view text, RangeState in);

class JsonLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  explicit JsonLexer(QObject* parent = nullptr);

  const char* language() const override { return "JSON"; }
  QString description(int style) const override;
  QColor defaultColor(int style) const override;
  QFont defaultFont(int style) const override;
  QColor defaultPaper(int style) const override;
  bool caseSensitive() const override { return true; }
  // Brace matching ignores braces inside strings and unknown runs.
  int braceStyle() const override { return jsonSymbol; }

  void setEditor(QsciScintilla* editor) override;
  void styleText(int start, int end) override;

  // Lines left unstyled because the view jumped past them; styled once they come into view.
  std::size_t pendingLineRanges() const { return gaps_.size(); }

 private:
  using LineRange = std::pair<long, long>;  // [first, last)

  void StyleVisibleGaps();
  void StyleLines(long first, long last, RangeState in);
  RangeState StateBeforeLine(long line, long validLimit);
  bool InGap(long line) const;
  void TrimGapsFrom(long line);
  void AddGap(long first, long last);
  std::string_view LineText(long line) const;
  std::pair<long, long> VisibleLines() const;

  std::vector<LineRange> gaps_;
  std::vector<char> styles_;
  bool filling_ = false;
};

}  // namespace braceform
