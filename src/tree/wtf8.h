#pragma once
// The engine holds text as WTF-8: UTF-8 in which a lone UTF-16 surrogate is kept as its
// own three-byte sequence, so UTF-16 input with lone surrogates comes back unchanged.
#include <cstddef>
#include <string>
#include <string_view>

#include "text/unicode.h"

namespace braceform::wtf8 {

// Valid surrogate pairs become one four-byte sequence, lone surrogates three bytes.
std::string FromUTF16(std::u16string_view s);
// Lone surrogates become U+FFFD; an encoded high-low pair becomes its code point.
std::string ToUTF8(std::string_view s);
// Length in UTF-16 code units.
std::size_t UTF16Length(std::string_view s);

// Whether p starts an encoded high (D800-DBFF) or low (DC00-DFFF) surrogate.
inline bool IsHighSurrogateSeq(const unsigned char* p) {
  return p[0] == 0xED && p[1] >= 0xA0 && p[1] <= 0xAF;
}
inline bool IsLowSurrogateSeq(const unsigned char* p) {
  return p[0] == 0xED && p[1] >= 0xB0 && p[1] <= 0xBF;
}
inline char16_t DecodeSurrogateSeq(const unsigned char* p) {
  return static_cast<char16_t>(0xD000 | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
}
// Appends one code point (surrogates included) in WTF-8.
using text::AppendCodePoint;

}  // namespace braceform::wtf8
