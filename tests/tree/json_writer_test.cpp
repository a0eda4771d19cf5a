#include "tree/json_writer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tree/json_document.h"
#include "tree_test_util.h"

namespace braceform {
namespace {

using testing::Compact;
using testing::Indented;
using testing::Lines;

struct Case {
  std::string input;
  std::string expected;
};

TEST(JSONWriter, IndentedLayout) {
  const Case cases[] = {
      {R"({"a":1})", Lines({"{", "  \"a\":1", "}"})},
      {R"({"name":"x","list":[1,"two",2.5,true,null],"obj":{"k":{}},"e":[]})",
       Lines({"{",
              "  \"name\":\"x\",",
              "  \"list\":  ",
              "  [",
              "1,",
              "\"two\",",
              "2.5,",
              "true,",
              "null  ",
              "  ],",
              "  \"obj\":  ",
              "  {",
              "    \"k\":    ",
              "    {",
              "    ",
              "    }  ",
              "  },",
              "  \"e\":  ",
              "  [",
              "  ",
              "  ]",
              "}"})},
      {R"([{"a":1},[2,3]])",
       Lines({"[", "  {", "    \"a\":1  ", "  },", "  [", "2,", "3  ", "  ]", "]"})},
      {"{}", Lines({"{", "", "}"})},
      {"[]", Lines({"[", "", "]"})},
      {"[1,2]", Lines({"[", "1,", "2", "]"})},
      {"\"x\"", "\"x\""},
      {"-12", "-12"},
  };
  for (const auto& c : cases) EXPECT_EQ(Indented(c.input), c.expected) << c.input;
}

TEST(JSONWriter, CompactLayout) {
  const Case cases[] = {
      {R"({"a":1,"b":[1,2],"c":{}})", R"({"a":1,"b":[1,2],"c":{}})"},
      {" { \"a\" : [ 1 , { } , [ ] ] } ", R"({"a":[1,{},[]]})"},
  };
  for (const auto& c : cases) EXPECT_EQ(Compact(c.input), c.expected) << c.input;
}

TEST(JSONWriter, StringEscaping) {
  const Case cases[] = {
      {R"({"a\tb":"\b\f\n\r\t"})", R"({"a\tb":"\b\f\n\r\t"})"},
      {R"(["a/b", "\/"])", R"(["a/b","/"])"},
      {R"(["q\"b\\"])", R"(["q\"b\\"])"},
      {R"(["\u001F\u0001\u000b\u007f"])", "[\"\\u001f\\u0001\\u000b\x7f\"]"},
      {"[\"\xC3\xA9\xE2\x80\xA8\xF0\x9F\x98\x80\"]", "[\"\xC3\xA9\xE2\x80\xA8\xF0\x9F\x98\x80\"]"},
      {R"(["\u0000"])", R"(["\u0000"])"},
      // Every character is kept around U+0000, in names and in strings.
      {R"({"k\u0000x":"x\u0000y\u0000"})", R"({"k\u0000x":"x\u0000y\u0000"})"},
      {"[\"raw\ttab\"]", R"(["raw\ttab"])"},
  };
  for (const auto& c : cases) EXPECT_EQ(Compact(c.input), c.expected) << c.input;
}

TEST(JSONWriter, LoneSurrogatesSurviveUTF16AndBecomeReplacementsInUTF8) {
  auto doc = ParseJSONDocument(u"[\"\\uD800x\", \"\xDC00\", \"\\uD83D\\uDE00\"]");
  EXPECT_EQ(doc->AsJSON(false, false), u"[\"\xD800x\",\"\xDC00\",\"\xD83D\xDE00\"]");
  EXPECT_EQ(doc->AsJSONUTF8(false, false),
            "[\"\xEF\xBF\xBDx\",\"\xEF\xBF\xBD\",\"\xF0\x9F\x98\x80\"]");
  // An escaped high surrogate followed by a raw low one forms one character.
  EXPECT_EQ(ParseJSONDocument(u"[\"\\uD83D\xDE00\"]")->AsJSONUTF8(false, false),
            "[\"\xF0\x9F\x98\x80\"]");
}

TEST(JSONWriter, FloatText) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {1.0, "1"},
      {1e5, "100000"},
      {2.50, "2.5"},
      {0.1, "0.1"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {1e14, "100000000000000"},
      {1e15, "1E15"},
      {-2.5e-7, "-2.5E-7"},
      {123456789.123456789, "123456789.123457"},
      {0.30000000000000004, "0.3"},
      {-0.0, "0"},
      {0.0, "0"},
      {999999999999999.9, "1E15"},  // rounding carries into a new digit
      {1.23456789012345678, "1.23456789012346"},
      {0.000123, "0.000123"},
      {123.456, "123.456"},
      {1e300, "1E300"},
      {1.5e-300, "1.5E-300"},
      {4.9406564584124654e-324, "4.94065645841247E-324"},
      {1.7976931348623157e308, "1.79769313486232E308"},
  };
  for (const auto& c : cases) {
    char buf[40];
    const std::size_t n = JSONWriter::FormatFloat(buf, c.value);
    EXPECT_EQ(std::string(buf, n), c.text) << c.text;
  }
}

TEST(JSONWriter, NumberTokensAsWritten) {
  EXPECT_EQ(Compact("[9223372036854775807,-9223372036854775808,007,-0,1.0,-0.0,1e2,1E-5]"),
            "[9223372036854775807,-9223372036854775808,7,0,1,0,100,1E-5]");
}

TEST(JSONWriter, NumberTextIgnoresTheLocale) {
  // A locale with a decimal comma, when the machine has one.
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  const std::string out = Compact("[2.5,1e-7]");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(out, "[2.5,1E-7]");
}

}  // namespace
}  // namespace braceform
