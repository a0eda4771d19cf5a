#include "tree/json_document.h"

#include <gtest/gtest.h>

#include <string>

#include "text/utf.h"
#include "tree_test_util.h"

namespace braceform {
namespace {

using testing::ErrorOf;
using testing::Indented;
using testing::Lines;

TEST(JSONDocument, FacadeEdges) {
  EXPECT_EQ(text::UTF16ToUTF8(ParseJSONDocument(u"")->AsJSON(true, false)), "{\r\n\r\n}");
  EXPECT_EQ(Indented("[1,2]"), "[\r\n1,\r\n2\r\n]");
  EXPECT_EQ(Indented("\"x\""), "\"x\"");
  EXPECT_EQ(Indented("42"), "42");
  EXPECT_EQ(Indented("{\"a\":1} trailing"), "{\r\n  \"a\":1\r\n}");
  EXPECT_TRUE(ParseJSONDocument(u"{}")->IsObject());
  EXPECT_FALSE(ParseJSONDocument(u"[]")->IsObject());
}

TEST(JSONDocument, TextWithoutValueIsRefused) {
  const struct {
    std::string input;
    std::string message;
  } cases[] = {
      {"\r\n", "No JSON value found. (Line: 2 Col: 2)"},
      {"   ", "No JSON value found. (Line: 1 Col: 3)"},
      {"]", "No JSON value found. (Line: 1 Col: 0)"},
      {" , 1", "No JSON value found. (Line: 1 Col: 1)"},
      {":", "No JSON value found. (Line: 1 Col: 0)"},
      {"word", "No JSON value found. (Line: 1 Col: 0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.input), c.message) << c.input;
}

TEST(JSONDocument, SyntaxErrorCarriesLineAndColumn) {
  try {
    ParseJSONDocument(u"{\"a\" 1}");
    FAIL() << "expected a syntax error";
  } catch (const JSONSyntaxError& e) {
    EXPECT_STREQ(e.what(), "Expected :. (Line: 1 Col: 6)");
    EXPECT_EQ(e.Line(), 1);
    EXPECT_EQ(e.Col(), 6);
  }
}

// The pipeline's sample document: comment line dropped, quotes replaced, joined with CR LF.
TEST(JSONDocument, PipelineSampleDocument) {
  EXPECT_EQ(Indented("{\"a\":[1,2],\"b\":{}}\r\n"),
            Lines({"{", "  \"a\":  ", "  [", "1,", "2  ", "  ],", "  \"b\":  ", "  {", "  ", "  }",
                   "}"}));
}

// The UTF-8 entry points give what the UTF-16 ones give on the converted text.
TEST(JSONDocument, UTF8EntryPointsMatchUTF16) {
  const std::string inputs[] = {
      "{\"a\":[1,2.5,\"\xC3\xA9\"],\"B\":{\"c\":null},\"b\":true}",
      "[\"2024-02-29T10:20:30Z\",\"10:00:00\"]",
      "[\"bad \xFF\xFE byte\", \"\xE2\x82\"]",
      "[\"\\uD800\", \"\\uDBFF\\uDFFF\"]",
      "{\"\xF0\x9F\x98\x80\" +}",
      "[1 2]",
      "1e999",
      "\xFF",
      "",
  };
  for (const std::string& in : inputs) {
    for (bool ident : {false, true}) {
      std::string viaUTF16, viaUTF8;
      try {
        viaUTF16 =
            text::UTF16ToUTF8(ParseJSONDocument(text::UTF8ToUTF16(in))->AsJSON(ident, false));
      } catch (const JSONError& e) {
        viaUTF16 = std::string("error: ") + e.what();
      }
      try {
        viaUTF8 = ParseJSONDocumentUTF8(in)->AsJSONUTF8(ident, false);
      } catch (const JSONError& e) {
        viaUTF8 = std::string("error: ") + e.what();
      }
      EXPECT_EQ(viaUTF8, viaUTF16) << in;
    }
  }
}

}  // namespace
}  // namespace braceform
