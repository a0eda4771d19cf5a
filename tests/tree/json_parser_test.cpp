#include "tree/json_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "tree/json_document.h"
#include "tree_test_util.h"

namespace braceform {
namespace {

using testing::Compact;
using testing::ErrorOf;

struct Case {
  std::string input;
  std::string expected;  // compact text, or the error message
};

TEST(JSONParser, Leniencies) {
  const Case cases[] = {
      {"[]", "[]"},
      {"[ ]", "[]"},
      {"{}", "{}"},
      {"[1,]", "[1]"},
      {"[,1]", "[1]"},
      {"[1,,2]", "[1,2]"},
      {"[,]", "[]"},
      {"{,\"a\":1,}", "{\"a\":1}"},
      {"{a:1}", "{\"a\":1}"},
      {"{'a':1}", "{\"a\":1}"},
      {"{true:1,True:2,FALSE:3}", "{\"True\":2,\"FALSE\":3}"},
      {"{\"a\":1,\"A\":2}", "{\"A\":2}"},
      {"{\"a\":1} trailing text", "{\"a\":1}"},
      {"[1]]", "[1]"},
      {"[1] +", "[1]"},
      {"\"text\"", "\"text\""},
      {"42", "42"},
      {"true", "true"},
      {"nULL", "null"},
      {"[TRUE,False,'x']", "[true,false,\"x\"]"},
      {"{\"a\":[{\"b\":[]}],\"c\":{\"d\":{}}}", "{\"a\":[{\"b\":[]}],\"c\":{\"d\":{}}}"},
  };
  for (const auto& c : cases) EXPECT_EQ(Compact(c.input), c.expected) << c.input;
}

TEST(JSONParser, SyntaxErrors) {
  const Case cases[] = {
      {"[1 2]", "Unexpected end of input. (Line: 1 Col: 4)"},
      {"{\"a\":1 \"b\":2}", "Unexpected end of input. (Line: 1 Col: 10)"},
      {"{\"a\" 1}", "Expected :. (Line: 1 Col: 6)"},
      {"{1:2}", "Unexpected end of input. (Line: 1 Col: 2)"},
      {"{null:1}", "Unexpected end of input. (Line: 1 Col: 5)"},
      {"{\"a\\nb\":1}", "Unexpected end of input. (Line: 1 Col: 7)"},
      {"{\"a\":\"abc", "Unexpected end of input. (Line: 1 Col: 9)"},
      {"[1,", "Unexpected end of input. (Line: 1 Col: 3)"},
      {"[\r\n  1,\r\n  2\r\n", "Unexpected end of input. (Line: 4 Col: 2)"},
      // A member without a value is refused where the value should start.
      {"{\"a\":}", "Missing value. (Line: 1 Col: 5)"},
      {"{\"a\":,\"b\":1}", "Missing value. (Line: 1 Col: 5)"},
      {"{\"a\":]}", "Missing value. (Line: 1 Col: 5)"},
      // Where the text ends instead, the end is what is reported.
      {"{\"a\":", "Unexpected end of input. (Line: 1 Col: 5)"},
      {"{\"a\":\r\n  }", "Missing value. (Line: 2 Col: 4)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.input), c.expected) << c.input;
}

TEST(JSONParser, StringsOfFiveToTwentyFiveCharactersAreOfferedAsDates) {
  auto doc = ParseJSONDocument(u"[\"2024-02-29\",\"2024-02-29T10:20:30.123+02:00\",\"x\"]");
  const JSONValue& a = doc->Value();
  EXPECT_EQ(a.Get(0)->GetDataType(), dtDate);
  EXPECT_EQ(a.Get(1)->GetDataType(), dtString);  // 29 characters: never offered
  EXPECT_EQ(a.Get(2)->GetDataType(), dtString);
  // Member names are never offered.
  EXPECT_EQ(Compact("{\"2024-02-29\":1}"), "{\"2024-02-29\":1}");
}

std::string Repeat(std::string_view s, std::size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += s;
  return out;
}

TEST(JSONParser, MillionNestedArraysAndObjects) {
  constexpr std::size_t kDepth = 1000000;
  const std::string arrays = Repeat("[", kDepth) + Repeat("]", kDepth);
  auto doc = ParseJSONDocumentUTF8(arrays);
  const JSONValue* v = &doc->Value();
  std::size_t depth = 0;
  while (v != nullptr && v->GetDataType() == dtArray) {
    ++depth;
    v = v->Get(0);
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(doc->AsJSONUTF8(false, false), arrays);

  const std::string objects = Repeat("{\"a\":", kDepth) + "1" + Repeat("}", kDepth);
  EXPECT_EQ(ParseJSONDocumentUTF8(objects)->AsJSONUTF8(false, false), objects);

  // Indented, each level would add a line of its own depth: too large to build, refused
  // with a clear error instead of exhausting memory.
  try {
    doc->AsJSONUTF8(true, false);
    FAIL() << "expected an error";
  } catch (const JSONError& e) {
    EXPECT_STREQ(e.what(), "The document is too large to be written in memory");
  }

  // Unclosed, the error is found at the end without recursion.
  EXPECT_EQ(ErrorOf(Repeat("[", kDepth)), "Unexpected end of input. (Line: 1 Col: 1000000)");
}

TEST(JSONParser, DeepIndentedNesting) {
  constexpr std::size_t kDepth = 2000;
  const std::string text = Repeat("[", kDepth) + "1" + Repeat("]", kDepth);
  const std::string out = ParseJSONDocumentUTF8(text)->AsJSONUTF8(true, false);
  // Innermost scalar at the start of its line, its closing bracket at 2 * (depth - 1).
  const std::string inner = "\r\n1" + std::string(2 * (kDepth - 1), ' ') + "\r\n" +
                            std::string(2 * (kDepth - 1), ' ') + "]" +
                            std::string(2 * (kDepth - 2), ' ') + "\r\n";
  EXPECT_NE(out.find(inner), std::string::npos);
  EXPECT_EQ(out.substr(0, 6), "[\r\n  [");
  EXPECT_EQ(out.substr(out.size() - 3), "\r\n]");
}

}  // namespace
}  // namespace braceform
