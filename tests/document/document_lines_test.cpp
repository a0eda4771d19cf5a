#include "document/document_lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace braceform {
namespace {

using Lines = std::vector<std::string>;

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
    std::string roomy = "xx" + c.text + "yy";  // in place, with room and a part to cut out
    roomy.reserve(2 * roomy.size() + 16);
    DocumentLines inPlace = DocumentLines::FromText(std::move(roomy), 2, 2 + c.text.size(), false);
    EXPECT_EQ(LinesOf(inPlace), c.lines);
    EXPECT_EQ(inPlace.TextForm(), TextFormOf(c.lines));
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

// The plain definition of the split, byte by byte.
Lines SplitByteByByte(const std::string& text, bool tabs) {
  if (text.empty()) return {};
  Lines expected(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (i + 1 < text.size()) expected.emplace_back();
    } else if (c == '\t' && tabs) {
      expected.back() += "  ";
    } else {
      expected.back() += c;
    }
  }
  return expected;
}

void ExpectSplitAsDefined(const std::string& text, bool tabs) {
  const Lines expected = SplitByteByByte(text, tabs);
  DocumentLines d = DocumentLines::FromText(std::string_view(text), tabs);
  ASSERT_EQ(LinesOf(d), expected) << "tabs " << tabs;
  ASSERT_EQ(d.TextForm(), TextFormOf(expected));
  std::string roomy = text;
  roomy.reserve(3 * text.size());
  DocumentLines inPlace = DocumentLines::FromText(std::move(roomy), 0, text.size(), tabs);
  ASSERT_EQ(inPlace.TextForm(), TextFormOf(expected)) << "in place, tabs " << tabs;
  ASSERT_EQ(LinesOf(inPlace), expected);
}

// The block-wise scanner against the plain definition, over texts long enough for its
// counters to be summed several times and with breaks at every offset of a block.
TEST(DocumentLinesSplit, LongMixedTextMatchesByteByByteSplit) {
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  const char alphabet[] = {'\r', '\n', '\t', 'a', 'b', ' ', '\xC3', '\xA9'};
  for (std::size_t length : {1u, 15u, 16u, 17u, 33u, 5000u, 70000u}) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[next() % 8]);
    SCOPED_TRACE(length);
    for (bool tabs : {false, true}) ExpectSplitAsDefined(text, tabs);
  }
}

// A part that does not grow (CR LF breaks only, and TABs that stay) is left in place;
// its lines are still found, wherever the first break that grows stands.
TEST(DocumentLinesSplit, TextThatDoesNotGrowKeepsItsLines) {
  const std::string lines = "{\r\n\t\"a\": 1,\r\n\r\n\t\"b\": [2]\r\n}";
  for (const std::string& tail : {std::string(), std::string("\r\n"), std::string("\n"),
                                  std::string("x\ry"), std::string("\tz")}) {
    for (std::size_t cut = 0; cut <= lines.size(); ++cut) {
      const std::string text = lines.substr(0, cut) + tail;
      SCOPED_TRACE(testing::PrintToString(text));
      ExpectSplitAsDefined(text, false);
      ExpectSplitAsDefined(text, true);
    }
  }
}

TEST(DocumentLinesSplit, ReplacedDocumentIsReleased) {
  DocumentLines old = DocumentLines::FromText(std::string_view("old\r\n"));
  DocumentLines d = DocumentLines::FromText("new\tline", true, &old);
  EXPECT_TRUE(old.Empty());
  EXPECT_EQ(LinesOf(d), Lines{"new  line"});
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
