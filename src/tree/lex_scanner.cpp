#include "tree/lex_scanner.h"

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "text/unicode.h"
#include "tree/json_error.h"
#include "tree/wtf8.h"

namespace braceform {

namespace {

struct RouteChars {
  bool has[128] = {};
  RouteChars() = default;
  RouteChars(std::initializer_list<int> chars) {
    for (int c : chars) has[c] = true;
  }
  RouteChars& Range(int lo, int hi) {
    for (int c = lo; c <= hi; ++c) has[c] = true;
    return *this;
  }
  RouteChars Except() const {
    RouteChars r;
    for (int c = 0; c < 128; ++c) r.has[c] = !has[c];
    return r;
  }
};

struct Builder {
  JSONGrammar& g;
  bool filled[kRouteCount][128] = {};
  // First assignment of a class wins.
  void Add(Route r, const RouteChars& chars, Trigger t) {
    for (int c = 0; c < 128; ++c)
      if (chars.has[c] && !filled[r][c]) {
        g.table[r][c] = t;
        filled[r][c] = true;
      }
  }
  void NoRoute(Route r, Trigger t) { Add(r, RouteChars().Range(0, 127), t); }
};

Trigger Store(std::uint8_t flags, Route next, ParseProc proc = ppNil) {
  return {tkStore, flags, next, proc};
}
Trigger Skip(std::uint8_t flags, Route next, ParseProc proc = ppNil) {
  return {tkSkip, flags, next, proc};
}
const Trigger kReject{tkReject, 0, rFirst, ppNil};

void BuildGrammar(JSONGrammar& g) {
  Builder b{g};
  const RouteChars blanks{0, 9, 10, 13, ' '};
  const RouteChars terminators{0, 9, 10, 13, ' ', '"', '\'', ',', '.', ':', '[', ']', '{', '}'};
  const RouteChars hex = RouteChars().Range('0', '9').Range('A', 'F').Range('a', 'f');
  const RouteChars digits = RouteChars().Range('0', '9');

  b.Add(rEscape, {'\\'}, Skip(0, rEscapeRoute));
  b.Add(rEscapeRoute, {'u'}, Skip(kBF, rEscapeUChar));
  b.NoRoute(rEscapeRoute, Store(kBF | kED, rEscape, ppEscape));
  b.Add(rEscapeUChar, hex, Store(0, rEscapeUChar, ppEscapeUChar));
  b.NoRoute(rEscapeUChar, kReject);

  b.Add(rFirst, {',', '.', ':', '[', ']', '{', '}'}, Store(kBF | kED, rFirst, ppName));
  b.Add(rFirst, RouteChars{'$', '_', 127}.Range('A', 'Z').Range('a', 'z'), Store(kBF, rName));
  b.Add(rFirst, {'"'}, Skip(kBF, rString));
  b.Add(rFirst, {'\''}, Skip(kBF, rString2));
  b.Add(rFirst, digits, Store(kBF, rInt));
  b.Add(rFirst, {9, 10, 13, ' '}, Skip(0, rFirst));
  b.Add(rFirst, {'-'}, Store(kBF, rInt));
  b.NoRoute(rFirst, kReject);

  b.Add(rName, terminators.Except(), Store(0, rName));
  b.Add(rName, blanks, Skip(kED | kBK, rFirst, ppName));
  b.NoRoute(rName, Skip(kED | kBK, rFirst, ppName));

  b.Add(rString, RouteChars{0, 10, 13, '"'}.Except(), Store(0, rString));
  b.Add(rString, {'"'}, Skip(kED, rFirst, ppString));
  b.Add(rString, {0, 10, 13}, kReject);

  b.Add(rString2, RouteChars{0, 10, 13, '\''}.Except(), Store(0, rString2));
  b.Add(rString2, {'\''}, Skip(kED, rFirst, ppString));
  b.Add(rString2, {0, 10, 13}, kReject);

  b.Add(rInt, digits, Store(0, rInt));
  b.Add(rInt, {'.'}, Store(0, rDouble));
  b.Add(rInt, {'E', 'e'}, Store(0, rExp));
  b.Add(rInt, terminators, Skip(kED | kBK, rFirst, ppInteger));
  b.NoRoute(rInt, kReject);

  b.Add(rDouble, digits, Store(0, rDouble));
  b.Add(rDouble, {'E', 'e'}, Store(0, rExp));
  b.Add(rDouble, terminators, Skip(kED | kBK, rFirst, ppDouble));
  b.NoRoute(rDouble, kReject);

  b.Add(rExp, {'+', '-'}, Store(0, rExpPM));
  b.Add(rExp, digits, Store(0, rExpE));
  b.NoRoute(rExp, kReject);

  b.Add(rExpPM, digits, Store(0, rExpE));
  b.NoRoute(rExpPM, kReject);

  b.Add(rExpE, digits, Store(0, rExpE));
  b.Add(rExpE, terminators, Skip(kED | kBK, rFirst, ppDouble));
  b.NoRoute(rExpE, kReject);

  for (int r = 0; r < kRouteCount; ++r)
    for (int c = 0; c < 256; ++c) {
      const Trigger& t = g.table[r][c < 128 ? c : 127];
      const bool plain = t.flags == 0 && t.next == r && t.proc == ppNil && r < rEscape &&
                         c != '\\' && c != 0 && c != 0xED;  // 0xED may start a surrogate
      g.run[r][c] = !plain ? 0 : t.kind == tkStore ? 1 : t.kind == tkSkip ? 2 : 0;
    }
}

std::size_t SequenceLength(unsigned char c) { return c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4; }

int HexValue(unsigned char c) {
  return c <= '9' ? c - '0' : c <= 'F' ? c - 'A' + 10 : c - 'a' + 10;
}

bool SameLetters(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text::FoldAscii(text[i]) != upper[i]) return false;
  }
  return true;
}

LexemType AsType(std::string_view text) {
  if (text.empty()) return ltName;
  switch (text[0]) {
    case ',':
      return ltVirgule;
    case '.':
      return ltDot;
    case ':':
      return ltColon;
    case '[':
      return ltCLeft;
    case ']':
      return ltCRight;
    case '{':
      return ltBLeft;
    case '}':
      return ltBRight;
    default:
      break;
  }
  if (SameLetters(text, "TRUE")) return ltTrue;
  if (SameLetters(text, "FALSE")) return ltFalse;
  if (SameLetters(text, "NULL")) return ltNull;
  return ltName;
}

bool AsInt64(std::string_view t, std::int64_t& out) {
  std::size_t i = 0;
  const bool neg = !t.empty() && t[0] == '-';
  if (neg) ++i;
  if (i == t.size()) return false;
  std::uint64_t v = 0;
  const std::uint64_t limit = neg ? 9223372036854775808ull : 9223372036854775807ull;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    const unsigned d = static_cast<unsigned>(t[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  out = neg ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v);
  return true;
}

// Optional "-", digits, optional "." and digits (a digit on at least one side), then an
// optional exponent with at least one digit.
bool IsDecimalText(std::string_view t) {
  std::size_t i = 0, n = t.size();
  if (i < n && t[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < n && t[i] == '.') {
    ++i;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t e = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++e;
    if (e == 0) return false;
  }
  return i == n;
}

bool AsDouble(std::string_view t, double& out) {
  if (!IsDecimalText(t)) return false;
  auto r = std::from_chars(t.data(), t.data() + t.size(), out);
  if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return true;
  if (r.ec != std::errc::result_out_of_range) return false;
  // Out of range: an overflow fails, an underflow becomes zero or a subnormal.
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  std::string copy(t);
  const double v = strtod_l(copy.c_str(), nullptr, c);
  if (std::isinf(v)) return false;
  out = v;
  return true;
}

}  // namespace

const JSONGrammar& JSONGrammar::Get() {
  static const JSONGrammar* grammar = [] {
    auto* g = new JSONGrammar();
    BuildGrammar(*g);
    return g;
  }();
  return *grammar;
}

LexGenerator::LexGenerator(std::string_view source, bool exceptBlock)
    : src_(reinterpret_cast<const unsigned char*>(source.data())),
      size_(source.size()),
      exceptBlock_(exceptBlock) {}

Position LexGenerator::PositionAt(std::size_t offset) const {
  // The counter starts at line 1, column 0; moving onto a LF starts a line at column 1.
  Position pos{0, 1};
  std::size_t lineStart = 0;
  bool sawBreak = false;
  for (std::size_t i = 1; i <= offset && i < size_; ++i)
    if (src_[i] == '\n') {
      ++pos.Line;
      lineStart = i;
      sawBreak = true;
    }
  std::string_view span(reinterpret_cast<const char*>(src_) + lineStart, offset - lineStart);
  pos.Col = static_cast<std::int32_t>(wtf8::UTF16Length(span) + (sawBreak ? 1 : 0));
  return pos;
}

void LexGenerator::Fail(const std::string& msg, std::size_t offset) const {
  Position p = PositionAt(offset);
  throw JSONSyntaxError(msg, p.Line, p.Col);
}

std::string_view LexGenerator::Text() const {
  if (owned_) return own_;
  return {reinterpret_cast<const char*>(src_) + viewBegin_, viewLen_};
}

std::string_view LexGenerator::StableText(Arena& arena) const {
  return owned_ ? arena.Copy(own_) : Text();
}

void LexGenerator::Materialize() {
  if (owned_) return;
  own_.assign(reinterpret_cast<const char*>(src_) + viewBegin_, viewLen_);
  owned_ = true;
}

void LexGenerator::Store(std::size_t p) { StoreRun(p, p + 1); }

void LexGenerator::StoreRun(std::size_t p, std::size_t q) {
  if (!owned_) {
    if (viewLen_ == 0) {
      viewBegin_ = p;
      viewLen_ = q - p;
      return;
    }
    if (viewBegin_ + viewLen_ == p) {
      viewLen_ += q - p;
      return;
    }
    Materialize();
  }
  own_.append(reinterpret_cast<const char*>(src_) + p, q - p);
}

// Appends one UTF-16 code unit; a low surrogate right after a high one joins it into one
// character, as the two units would in a UTF-16 string.
void LexGenerator::AppendUnit(char32_t unit) {
  Materialize();
  const std::size_t n = own_.size();
  if (text::IsLowSurrogate(unit) && n >= 3 &&
      wtf8::IsHighSurrogateSeq(reinterpret_cast<const unsigned char*>(own_.data()) + n - 3)) {
    const char32_t high =
        wtf8::DecodeSurrogateSeq(reinterpret_cast<const unsigned char*>(own_.data()) + n - 3);
    own_.resize(n - 3);
    wtf8::AppendCodePoint(own_, text::CombineSurrogates(high, unit));
    return;
  }
  wtf8::AppendCodePoint(own_, unit);
}

void LexGenerator::DecodeEscape() {
  const unsigned char e = esc_[0];
  if (e >= 0x80) {
    // Any other character stands for itself; a surrogate may still pair with a neighbour.
    if (escLen_ == 3 && e == 0xED && esc_[1] >= 0xA0) {
      AppendUnit(wtf8::DecodeSurrogateSeq(esc_));
    } else {
      Materialize();
      own_.append(reinterpret_cast<const char*>(esc_), escLen_);
    }
  } else {
    static const char kFrom[] = "bfnrtv";
    static const char kTo[] = "\b\f\n\r\t\v";
    const char* hit = e != 0 ? std::strchr(kFrom, e) : nullptr;
    AppendUnit(hit != nullptr ? static_cast<unsigned char>(kTo[hit - kFrom]) : e);
  }
  escLen_ = 0;
}

void LexGenerator::Complete(ParseProc proc) {
  switch (proc) {
    case ppInteger:
      if (!AsInt64(Text(), lexem_.Int))
        throw JSONError("'" + wtf8::ToUTF8(Text()) + "' is not a valid integer value");
      lexem_.LType = ltIValue;
      break;
    case ppDouble:
      if (!AsDouble(Text(), lexem_.Dbl))
        throw JSONError("'" + wtf8::ToUTF8(Text()) + "' is not a valid floating point value");
      lexem_.LType = ltDValue;
      break;
    case ppString:
      lexem_.LType = ltSValue;
      break;
    case ppName:
      lexem_.LType = AsType(Text());
      break;
    default:
      break;
  }
}

bool LexGenerator::Scan() {
  const JSONGrammar& g = JSONGrammar::Get();
  lexem_ = Lexeme();
  lexem_.start = SIZE_MAX;
  viewLen_ = 0;
  owned_ = false;
  own_.clear();
  escLen_ = 0;
  Route escState = rEscape;
  Route state = rFirst;
  const unsigned char* s = src_;
  std::size_t p = pos_;
  for (;;) {
    if (escState == rEscape) {
      const std::uint8_t r = g.run[state][s[p]];
      if (r != 0) {
        std::size_t q = p + 1;
        while (g.run[state][s[q]] == r) ++q;
        if (r == 1) StoreRun(p, q);
        p = q;
        continue;
      }
    }
    const unsigned char c = s[p];
    const unsigned k = c < 128 ? c : 127;
    const bool escStep = escState != rEscape || c == '\\';
    const Trigger& t = escStep ? g.table[escState][k] : g.table[state][k];
    // A backslash at the very end: the escape ends with the text like any other token.
    if (t.kind == tkReject || (c == 0 && escState == rEscapeRoute)) {
      pos_ = p;
      if (c == 0 || exceptBlock_) return false;
      Fail("Unexpected token ILLEGAL", p);
    }
    std::size_t len = 1;
    if (t.kind == tkStore) {
      if (escStep) {
        if (c >= 0x80) len = std::min(SequenceLength(c), size_ - p);
        std::memcpy(esc_ + escLen_, s + p, len);
        escLen_ += len;
      } else if (c == 0xED && wtf8::IsLowSurrogateSeq(s + p)) {
        AppendUnit(wtf8::DecodeSurrogateSeq(s + p));
        len = 3;
      } else {
        Store(p);
      }
    }
    if ((t.flags & kBF) && lexem_.start == SIZE_MAX) lexem_.start = p;
    if (!(t.flags & kBK)) p += len;
    bool escapeDone = false;
    if (t.proc == ppEscape) {
      DecodeEscape();
    } else if (t.proc == ppEscapeUChar) {
      if (escLen_ == 4) {
        AppendUnit(static_cast<char32_t>((HexValue(esc_[0]) << 12) | (HexValue(esc_[1]) << 8) |
                                         (HexValue(esc_[2]) << 4) | HexValue(esc_[3])));
        escLen_ = 0;
        escapeDone = true;
      }
    } else if (t.proc != ppNil) {
      pos_ = p;
      Complete(t.proc);
    }
    if (!(t.flags & kED) && !escapeDone) {
      if (escStep)
        escState = t.next;
      else
        state = t.next;
      continue;
    }
    if (escStep) {
      escState = rEscape;
      continue;
    }
    pos_ = p;
    return true;
  }
}

bool LexGenerator::Check(LexemType t) {
  Ensure();
  return valid_ && lexem_.LType == t;
}

LexemType LexGenerator::Check(LexemTypes set) {
  Ensure();
  return valid_ && (set & (1u << lexem_.LType)) ? lexem_.LType : ltNil;
}

bool LexGenerator::CheckKill(LexemType t) {
  const bool yes = Check(t);
  if (yes) Kill();
  return yes;
}

LexemType LexGenerator::CheckKill(LexemTypes set) {
  const LexemType r = Check(set);
  if (r != ltNil) Kill();
  return r;
}

bool LexGenerator::CheckName(std::string_view& s) {
  Ensure();
  if (!valid_) return false;
  const LexemType t = lexem_.LType;
  if (t != ltSValue && t != ltName && t != ltTrue && t != ltFalse) return false;
  const std::string_view text = Text();
  if (text.find_first_of("\r\n") != std::string_view::npos) return false;
  s = text;
  return true;
}

const Lexeme* LexGenerator::Current() {
  Ensure();
  return valid_ ? &lexem_ : nullptr;
}

}  // namespace braceform
