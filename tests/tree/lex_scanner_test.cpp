#include "tree/lex_scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "tree/json_error.h"
#include "tree_test_util.h"

namespace braceform {
namespace {

// Every token of `text` as "kind:text", kind being the ordinal; "I" and "D" carry the
// converted number instead of the text.
std::string Tokens(const std::string& text) {
  LexGenerator gen(text);
  std::string out;
  while (const Lexeme* l = gen.Current()) {
    if (!out.empty()) out += ' ';
    if (l->LType == ltIValue)
      out += "I:" + std::to_string(l->Int);
    else if (l->LType == ltDValue)
      out += "D:" + std::to_string(l->Dbl);
    else
      out += std::to_string(l->LType) + ":" + std::string(gen.Text());
    gen.Kill();
  }
  return out;
}

struct TokenCase {
  std::string input;
  std::string tokens;
};

TEST(LexScanner, Tokens) {
  const TokenCase cases[] = {
      {"TRUE False NULL nULL", "14:TRUE 15:False 4:NULL 4:nULL"},
      {"nulls true1 true!", "13:nulls 13:true1 13:true!"},
      {"a-b $x _y \xC3\xA9t\xC3\xA9", "13:a-b 13:$x 13:_y 13:\xC3\xA9t\xC3\xA9"},
      {"'single quoted'", "1:single quoted"},
      {R"('it\'s' "a\"b" 'say "hi"')", "1:it's 1:a\"b 1:say \"hi\""},
      {"\"tab\there\"", "1:tab\there"},
      {R"("\u0041\q\/\b\f\n\r\t\v\\")", "1:Aq/\b\f\n\r\t\v\\"},
      {R"("\uD83D\uDE00")", "1:\xF0\x9F\x98\x80"},  // two escapes, one character
      {"007 -0 1e2 1.0 1E+2 2e-1", "I:7 I:0 D:100.000000 D:1.000000 D:100.000000 D:0.200000"},
      {"9223372036854775807 -9223372036854775808", "I:9223372036854775807 I:-9223372036854775808"},
      {"1. -.5 1 2", "D:1.000000 D:-0.500000 I:1 I:2"},
      {"1.2.3", "D:1.200000 11:. I:3"},
      {", . : [ ] { }", "12:, 11:. 10:: 5:[ 6:] 7:{ 8:}"},
      {"[1,\"a\"]", "5:[ I:1 12:, 1:a 6:]"},
      // A backslash between tokens adds its character to the next token.
      {"\\n\"x\"", "1:\nx"},
      // The text ends inside a token: that token is dropped without an error.
      {"1 \"abc", "I:1"},
      {"\"\\u12", ""},
      {"1 1e", "I:1"},
      {"\"abc\\", ""},
      {"\\", ""},
      {"  \r\n\t \n", ""},
      {std::string("1\0 2", 4), "I:1"},  // the first NUL ends the text
  };
  for (const auto& c : cases) EXPECT_EQ(Tokens(c.input), c.tokens) << c.input;
}

struct ErrorCase {
  std::string input;
  std::string message;
};

TEST(LexScanner, Errors) {
  const ErrorCase cases[] = {
      {"+1", "Unexpected token ILLEGAL. (Line: 1 Col: 0)"},
      {"/* note */ 1", "Unexpected token ILLEGAL. (Line: 1 Col: 0)"},
      {"#", "Unexpected token ILLEGAL. (Line: 1 Col: 0)"},
      {"\"a\nb\"", "Unexpected token ILLEGAL. (Line: 2 Col: 1)"},
      {"'a\rb'", "Unexpected token ILLEGAL. (Line: 1 Col: 2)"},
      {R"("\u00G1")", "Unexpected token ILLEGAL. (Line: 1 Col: 5)"},
      {"12abc", "Unexpected token ILLEGAL. (Line: 1 Col: 2)"},
      {"1e+x", "Unexpected token ILLEGAL. (Line: 1 Col: 3)"},
      // The LF is column 1 of its line; columns count UTF-16 code units.
      {"{\r\n+", "Unexpected token ILLEGAL. (Line: 2 Col: 2)"},
      // The counter starts on the first character, so a LF there is never moved onto.
      {"\n\n  +", "Unexpected token ILLEGAL. (Line: 2 Col: 4)"},
      {"\"\xC3\xA9\xF0\x9F\x98\x80\" +", "Unexpected token ILLEGAL. (Line: 1 Col: 6)"},
      {"9223372036854775808", "'9223372036854775808' is not a valid integer value"},
      {"-9223372036854775809", "'-9223372036854775809' is not a valid integer value"},
      {"-", "'-' is not a valid integer value"},
      {"-.", "'-.' is not a valid floating point value"},
      {"-e5", "'-e5' is not a valid floating point value"},
      {"-.e5", "'-.e5' is not a valid floating point value"},
      {"1e999", "'1e999' is not a valid floating point value"},
      {"\\x5", "'x5' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    std::string message;
    try {
      Tokens(c.input);
    } catch (const JSONError& e) {
      message = e.what();
    }
    EXPECT_EQ(message, c.message) << c.input;
  }
}

TEST(LexScanner, UnderflowBecomesZeroOrSubnormal) {
  EXPECT_EQ(Tokens("1e-400"), "D:0.000000");
  const std::string text = "4.9406564584124654e-324";
  LexGenerator gen(text);
  ASSERT_NE(gen.Current(), nullptr);
  EXPECT_GT(gen.Current()->Dbl, 0.0);
}

TEST(LexScanner, NameCheckRefusesNumbersNullAndLineBreaks) {
  struct Case {
    std::string input;
    bool isName;
  } cases[] = {{"\"a\"", true},      {"a", true},  {"true", true},  {"FALSE", true},
               {"'a'", true},        {"1", false}, {"null", false}, {"\"a\\nb\"", false},
               {"\"a\\rb\"", false}, {"[", false}};
  for (const auto& c : cases) {
    LexGenerator gen(c.input);
    std::string_view name;
    EXPECT_EQ(gen.CheckName(name), c.isName) << c.input;
  }
}

}  // namespace
}  // namespace braceform
