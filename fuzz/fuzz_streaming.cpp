// Fuzz target for the streaming reformatter: every style on any bytes must return without
// crashing, with output of bounded length, and for strict JSON whose top level is an object
// or an array, every style's output must compact back to the compact output.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "streaming/json_reformat.h"

namespace {

using braceform::ReformatJSONText;
using braceform::TextWriterJSONFormat;

// A strict reader of RFC 8259 JSON, enough to tell which inputs must round-trip.
class StrictJSON {
 public:
  explicit StrictJSON(std::string_view s) : s_(s) {}

  bool IsContainerDocument() {
    SkipWhitespace();
    if (i_ >= s_.size() || (s_[i_] != '{' && s_[i_] != '[')) return false;
    if (!Value(0)) return false;
    SkipWhitespace();
    return i_ == s_.size();
  }

 private:
  static constexpr int kMaxDepth = 256;

  void SkipWhitespace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r'))
      ++i_;
  }
  bool Eat(char c) {
    SkipWhitespace();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool Literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }
  bool Digits() {
    const std::size_t start = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    return i_ > start;
  }
  bool Number() {
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    if (i_ < s_.size() && s_[i_] == '0') {
      ++i_;
    } else if (!Digits()) {
      return false;
    }
    if (i_ < s_.size() && s_[i_] == '.' && (++i_, !Digits())) return false;
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (!Digits()) return false;
    }
    return true;
  }
  bool String() {
    if (i_ >= s_.size() || s_[i_] != '"') return false;
    for (++i_; i_ < s_.size(); ++i_) {
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++i_ >= s_.size()) return false;
        const char e = s_[i_];
        if (e == 'u') {
          for (int k = 0; k < 4; ++k) {
            if (++i_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[i_])))
              return false;
          }
        } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
          return false;
        }
      }
    }
    return false;
  }
  bool Value(int depth) {
    if (depth > kMaxDepth) return false;
    SkipWhitespace();
    if (i_ >= s_.size()) return false;
    switch (s_[i_]) {
      case '{':
        ++i_;
        if (Eat('}')) return true;
        do {
          SkipWhitespace();
          if (!String() || !Eat(':') || !Value(depth + 1)) return false;
        } while (Eat(','));
        return Eat('}');
      case '[':
        ++i_;
        if (Eat(']')) return true;
        do {
          if (!Value(depth + 1)) return false;
        } while (Eat(','));
        return Eat(']');
      case '"':
        return String();
      case 't':
        return Literal("true");
      case 'f':
        return Literal("false");
      case 'n':
        return Literal("null");
      default:
        return Number();
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = input.substr(0, input.find('\0'));  // the text ends at a zero byte
  const std::size_t n = text.size();
  std::string out[4];
  braceform::ReformatStop stop[4];
  for (int style = 0; style < 4; ++style) {
    out[style] = ReformatJSONText(input, static_cast<TextWriterJSONFormat>(style), &stop[style]);
    // Reading stops at the same byte whatever the style, and never beyond the text.
    Check(stop[style].complete == stop[0].complete && stop[style].offset == stop[0].offset);
    Check(stop[style].complete || stop[style].offset <= size);
    // Names may grow sixfold (a raw control byte becomes \u00XX) and gain quotes; one
    // unreadable value adds "null"; there are at most two line breaks per input byte, each
    // with at most one TAB per input byte.
    const bool lineBreaks = style == 1 || style == 2;
    const std::size_t bound = 6 * n + 4 + (lineBreaks ? (2 * n + 2) * (n + 2) : 0);
    Check(out[style].size() <= bound);
    if (size == 0) Check(out[style].empty());
  }
  // In place, the walk leaves its buffer as it found it (the empty text never reaches it).
  if (size > 0) {
    std::string buffer(input);
    buffer.append(braceform::kTextPadding, '\0');
    Check(braceform::ReformatJSONBuffer(buffer.data(), size, braceform::jsonCompact) == out[0]);
    Check(std::string_view(buffer).substr(0, size) == input);
  }
  if (StrictJSON(text).IsContainerDocument()) {
    // A well-formed document followed by nothing is read whole.
    if (n == size) Check(stop[0].complete);
    const std::string& compact = out[0];
    Check(ReformatJSONText(compact, braceform::jsonCompact) == compact);
    for (int style = 1; style < 4; ++style) {
      Check(ReformatJSONText(out[style], braceform::jsonCompact) == compact);
    }
  }
  return 0;
}
