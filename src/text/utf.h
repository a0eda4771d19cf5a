#pragma once
// UTF-8 / UTF-16 conversions shared by every layer. The document is held as UTF-8;
// these are the points where it meets UTF-16 (the tree engine, Qt, UTF-16 files).
#include <cstddef>
#include <string>
#include <string_view>

#include "text/unicode.h"

namespace braceform::text {

// Strict: no overlong forms, no surrogates, nothing above U+10FFFF, no truncated sequence.
bool IsValidUTF8(std::string_view s);

// Length of the longest valid UTF-8 prefix of s.
std::size_t ValidUTF8Prefix(std::string_view s);

// Invalid sequences become U+FFFD, one per maximal invalid subpart, as the platform's
// converters do; valid input is converted exactly.
std::u16string UTF8ToUTF16(std::string_view s);

// Lone surrogates become U+FFFD.
std::string UTF16ToUTF8(std::u16string_view s);
void AppendUTF16AsUTF8(std::string& out, std::u16string_view s);

// Replaces invalid sequences in place (same rule as UTF8ToUTF16); returns whether it
// changed anything. Equivalent to UTF16ToUTF8(UTF8ToUTF16(s)) without the round trip.
bool SanitizeUTF8(std::string& s);

// Characters (code points) of a text; an invalid sequence counts as UTF8ToUTF16 decodes it,
// one per maximal invalid subpart.
std::size_t CountCharacters(std::string_view s);

// Where the byte at `offset` stands, both from 1: lines end at CR LF, a lone CR or a lone
// LF, columns count characters. The LF of a CR LF stands where its CR does, and the end of
// a text that ends in a line break at the end of its last line (that break starts no line).
struct TextPosition {
  std::size_t line = 1, column = 1;
};
TextPosition PositionAt(std::string_view text, std::size_t offset);

}  // namespace braceform::text
