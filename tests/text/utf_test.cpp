#include "text/utf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace braceform::text {
namespace {

struct Utf8Case {
  const char* name;
  std::string utf8;
  bool valid;
  std::u16string utf16;  // what the decoder gives, U+FFFD per maximal invalid subpart
};

const Utf8Case kUtf8Cases[] = {
    {"empty", "", true, u""},
    {"ascii", "a{\"}", true, u"a{\"}"},
    {"two_byte", "\xC3\xA9", true, u"\u00E9"},
    {"three_byte", "\xE2\x80\x9C", true, u"\u201C"},
    {"four_byte_is_a_pair", "\xF0\x9F\x98\x80", true, u"\U0001F600"},
    {"zero_byte_kept", std::string("a\0b", 3), true, std::u16string(u"a\0b", 3)},
    {"lone_continuation", "a\x80z", false, u"a\uFFFDz"},
    {"truncated_three_is_one_subpart", "a\xE2\x82z", false, u"a\uFFFDz"},
    {"truncated_four_at_end", "\xF0\x9F\x98", false, u"\uFFFD"},
    {"overlong_two_bytes", "\xC0\xAF", false, u"\uFFFD\uFFFD"},
    {"overlong_three_bytes", "\xE0\x80\xAF", false, u"\uFFFD\uFFFD\uFFFD"},
    {"encoded_surrogate", "\xED\xA0\x80", false, u"\uFFFD\uFFFD\uFFFD"},
    {"above_10FFFF", "\xF4\x90\x80\x80", false, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"invalid_lead_F5", "\xF5", false, u"\uFFFD"},
    {"valid_after_invalid", "\xFF\xC3\xA9", false, u"\uFFFD\u00E9"},
    {"ascii_run_then_cut", "0123456789abcdef\xC3", false, u"0123456789abcdef\uFFFD"},
};

TEST(Utf8, ValidationDecodingAndSanitizing) {
  for (const auto& c : kUtf8Cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidUTF8(c.utf8), c.valid);
    EXPECT_EQ(UTF8ToUTF16(c.utf8), c.utf16);
    // A character per code point of the decoding: the low half of a pair is no second one.
    std::size_t characters = 0;
    for (char16_t u : c.utf16) characters += IsLowSurrogate(u) ? 0 : 1;
    EXPECT_EQ(CountCharacters(c.utf8), characters);
    // Sanitizing must give exactly what the UTF-16 round trip gives.
    std::string s = c.utf8;
    EXPECT_EQ(SanitizeUTF8(s), !c.valid);
    EXPECT_EQ(s, UTF16ToUTF8(UTF8ToUTF16(c.utf8)));
    EXPECT_TRUE(IsValidUTF8(s));
  }
}

// The well-formed byte sequences of UTF-8, table by table: where the first one that is
// not well formed starts.
std::size_t WellFormedPrefix(const std::string& s) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = byte(i);
    std::size_t need = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      return i;
    }
    for (std::size_t k = 1; k <= need; ++k) {
      if (i + k >= s.size()) return i;
      const unsigned char c = byte(i + k);
      if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) return i;
    }
    i += need + 1;
  }
  return s.size();
}

TEST(Utf8, ValidPrefixMatchesTheTableOfWellFormedSequences) {
  // Bytes at the edges of every range of the table, and ASCII runs that fill whole blocks.
  const unsigned char alphabet[] = {'a',  0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                    0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED,
                                    0xEE, 0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
  std::uint32_t seed = 7;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 20000; ++round) {
    std::string s(next() % 40, 'x');  // shifts what follows across the 16-byte blocks
    const std::size_t length = 1 + next() % 12;
    for (std::size_t k = 0; k < length; ++k) {
      if (next() % 4 == 0) s.append(next() % 20, 'y');
      s.push_back(static_cast<char>(alphabet[next() % sizeof alphabet]));
    }
    ASSERT_EQ(ValidUTF8Prefix(s), WellFormedPrefix(s)) << testing::PrintToString(s);
  }
}

TEST(PositionAt, LinesAndCharacterColumns) {
  const struct {
    std::string text;
    std::size_t offset, line, column;
  } cases[] = {
      {"", 0, 1, 1},
      {"abc", 0, 1, 1},
      {"abc", 2, 1, 3},
      {"a\r\nb\nc\rd", 7, 4, 1},  // CR LF, LF and a lone CR each end a line
      {"a\n\rb", 3, 3, 1},        // LF then CR: two breaks
      {"ab\r\ncd", 2, 1, 3},      // at the CR: just past the line's end
      {"ab\r\ncd", 3, 1, 3},      // the LF stands where its CR does
      {"ab\r\n", 4, 1, 3},        // the end, after the final break: the last line's end
      {"ab\n\n", 4, 2, 1},        // ... which may be an empty line
      {"ab", 9, 1, 3},            // beyond the end: the end
      {"\xC3\xA9\xE2\x80\x9C\xF0\x9F\x98\x80x", 9, 1, 4},  // one column per character
      {"\xE2\x82x", 2, 1, 2},  // an invalid sequence counts as its decoding does
      {std::string(40, 'a') + "\r\n" + std::string(40, 'b') + "\n" + "cc", 84, 3, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text) + " at " + std::to_string(c.offset));
    const TextPosition at = PositionAt(c.text, c.offset);
    EXPECT_EQ(at.line, c.line);
    EXPECT_EQ(at.column, c.column);
  }
}

struct Utf16Case {
  const char* name;
  std::u16string utf16;
  std::string utf8;
};

TEST(Utf16, PairsAndLoneSurrogates) {
  const Utf16Case cases[] = {
      {"pair", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {"lone_high_at_end", u"a\xD800", "a\xEF\xBF\xBD"},
      {"lone_low", u"\xDC00z", "\xEF\xBF\xBDz"},
      {"reversed_pair", u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"high_then_high_then_low", u"\xD800\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {"bmp_edges", u"\u007F\u0080\u07FF\u0800\uFFFF",
       "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UTF16ToUTF8(c.utf16), c.utf8);
  }
}

}  // namespace
}  // namespace braceform::text
