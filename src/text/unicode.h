#pragma once
// The code-point primitives every layer shares: one UTF-8 encoder, one surrogate-pair
// rule, one ASCII case fold.
#include <cstddef>
#include <string>

namespace braceform::text {

constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDFFF; }
// The character of a high and a low surrogate.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// The two UTF-16 units of a character above U+FFFF.
constexpr char16_t HighSurrogateOf(char32_t cp) {
  return static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
}
constexpr char16_t LowSurrogateOf(char32_t cp) {
  return static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
}

constexpr std::size_t UTF8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Writes the UTF-8 form of one code point at out and returns the end. Surrogate code points
// take the three-byte form like any other below U+10000 (WTF-8 relies on that).
inline char* EncodeUTF8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

inline void AppendCodePoint(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(EncodeUTF8(bytes, cp) - bytes));
}

// 'a' to 'z' become 'A' to 'Z'; every other byte or unit stays.
template <typename Char>
constexpr Char FoldAscii(Char c) {
  return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - ('a' - 'A')) : c;
}

// 'A' to 'Z' become 'a' to 'z'; every other byte or unit stays.
template <typename Char>
constexpr Char LowerAscii(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c + ('a' - 'A')) : c;
}

}  // namespace braceform::text
