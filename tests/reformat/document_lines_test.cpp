#include "reformat/document_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace braceform {
namespace {

std::vector<std::string> LinesOf(const DocumentLines& d) {
  std::vector<std::string> v;
  for (std::size_t i = 0; i < d.Count(); ++i) v.emplace_back(d.Line(i));
  return v;
}

std::string TextFormOf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

const std::string k15(15, 'x');

const SplitCase kSplitCases[] = {
    {"empty_text_no_line", "", {}},
    {"crlf_alone_one_empty_line", "\r\n", {""}},
    {"final_break_adds_no_line", "a\r\nb\r\n", {"a", "b"}},
    {"no_final_break", "a\r\nb", {"a", "b"}},
    {"lf", "a\nb\n", {"a", "b"}},
    {"lone_cr", "a\rb\r", {"a", "b"}},
    {"lf_cr_is_two_breaks", "a\n\rb", {"a", "", "b"}},
    {"cr_crlf", "a\r\r\nb", {"a", "", "b"}},
    {"blank_lines", "\n\n", {"", ""}},
    {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
    {"zero_byte_kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    {"tab_kept", "\ta\t", {"\ta\t"}},
    // CR LF split across the 16-byte blocks of the scanner.
    {"crlf_across_blocks", k15 + "\r\n" + k15 + "\r" + k15 + "\n", {k15, k15, k15}},
    {"lone_cr_at_block_end", k15 + "\r" + "y", {k15, "y"}},
};

TEST(DocumentLinesSplit, EveryEntryAgrees) {
  for (const auto& c : kSplitCases) {
    SCOPED_TRACE(c.name);
    DocumentLines fromView = DocumentLines::FromText(std::string_view(c.text));
    DocumentLines fromOwned = DocumentLines::FromText(std::string(c.text));
    DocumentLines fromTabs = DocumentLines::FromText(std::string_view(c.text), false);
    EXPECT_EQ(LinesOf(fromView), c.lines);
    EXPECT_EQ(LinesOf(fromOwned), c.lines);
    EXPECT_EQ(LinesOf(fromTabs), c.lines);
    EXPECT_EQ(fromView.TextForm(), TextFormOf(c.lines));
    EXPECT_EQ(fromOwned.TextForm(), TextFormOf(c.lines));
  }
}

TEST(DocumentLinesSplit, TabsBecomeTwoSpacesEverywhere) {
  DocumentLines d = DocumentLines::FromText(std::string_view("\t{\r\n\t\t\"a\tb\": 1\n}\t"), true);
  EXPECT_EQ(LinesOf(d), (std::vector<std::string>{"  {", "    \"a  b\": 1", "}  "}));
}

TEST(DocumentLinesEdit, RemoveIfAppendAndTake) {
  DocumentLines d = DocumentLines::FromText(std::string_view("keep1\ndrop\ndrop\nkeep2\ndrop"));
  d.RemoveIf([](std::string_view l) { return l == "drop"; });
  EXPECT_EQ(LinesOf(d), (std::vector<std::string>{"keep1", "keep2"}));
  d.Append("");
  d.Append("x");
  EXPECT_EQ(d.TextForm(), "keep1\r\nkeep2\r\n\r\nx\r\n");
  d.RemoveIf([](std::string_view) { return true; });
  EXPECT_TRUE(d.Empty());
  EXPECT_EQ(d.TextForm(), "");
}

}  // namespace
}  // namespace braceform
