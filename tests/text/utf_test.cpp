#include "text/utf.h"

#include <gtest/gtest.h>

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
    // Sanitizing must give exactly what the UTF-16 round trip gives.
    std::string s = c.utf8;
    EXPECT_EQ(SanitizeUTF8(s), !c.valid);
    EXPECT_EQ(s, UTF16ToUTF8(UTF8ToUTF16(c.utf8)));
    EXPECT_TRUE(IsValidUTF8(s));
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
