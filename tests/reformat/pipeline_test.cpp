#include "reformat/pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tree/json_error.h"

namespace braceform {
namespace {

using Lines = std::vector<std::string>;

DocumentLines Doc(const Lines& lines) {
  DocumentLines d;
  for (const auto& l : lines) d.Append(l);
  return d;
}

Lines LinesOf(const DocumentLines& d) {
  Lines v;
  for (std::size_t i = 0; i < d.Count(); ++i) v.emplace_back(d.Line(i));
  return v;
}

Lines Reformat(const Lines& input, ReformatMode mode, ReformatOptions options = {}) {
  DocumentLines d = Doc(input);
  ReformatDocument(d, mode, options);
  return LinesOf(d);
}

constexpr auto kCompact = ReformatMode::Compact;
constexpr auto kHuman = ReformatMode::HumanReadable;

TEST(TrimUTF8, RemovesOnlyBytesUpToSpace) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {" \t\r\n", ""},
      {std::string("\0 a b \x1F\x01", 8), "a b"},
      {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},  // U+00A0 is not trimmed
      {"!\x7F", "!\x7F"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimUTF8(c.in), c.out) << c.in;
}

TEST(RemoveCommentLines, DropsOnlyLinesStartingWithSlashes) {
  Lines input = {
      "// config",
      "  \t// indented note",
      std::string("\0//x", 4),
      "//",
      "{\"u\": \"http://example.com\"}",
      "1 // trailing",
      "/* block */",
      "/ single",
      "",
      "\xC2\xA0// behind U+00A0",
  };
  DocumentLines d = Doc(input);
  RemoveCommentLines(d);
  EXPECT_EQ(LinesOf(d), (Lines{"{\"u\": \"http://example.com\"}", "1 // trailing", "/* block */",
                               "/ single", "", "\xC2\xA0// behind U+00A0"}));
}

TEST(ErrorReportText, FullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorReportText("Unexpected end of input"), "Unexpected end of input.");
  // ')' sorts below '.', so a message ending in the position gets none.
  EXPECT_EQ(ErrorReportText("Unexpected end of input. (Line: 1 Col: 2)"),
            "Unexpected end of input. (Line: 1 Col: 2)");
  EXPECT_EQ(ErrorReportText("Done."), "Done.");
  EXPECT_EQ(ErrorReportText("Why?"), "Why?.");
  EXPECT_EQ(ErrorReportText("a-"), "a-");
  EXPECT_EQ(ErrorReportText("caf\xC3\xA9"), "caf\xC3\xA9.");
  EXPECT_EQ(ErrorReportText(""), "");
}

// The document of the end-to-end example: a comment line, then an object whose first
// member name is written with typographic double quotes.
const Lines kExample = {"// config",
                        "{\xE2\x80\x9C"
                        "a\xE2\x80\x9D:[1,2],\"b\":{}}"};

TEST(ReformatDocument, SampleDocument) {
  EXPECT_EQ(Reformat(kExample, kCompact), (Lines{"{\"a\":[1,2],\"b\":{}}"}));
  EXPECT_EQ(Reformat(kExample, kHuman), (Lines{"{", "  \"a\": ", "  [", "    1,", "    2", "  ],",
                                               "  \"b\": {", "    }", "}"}));
  ReformatOptions keepTabs;
  keepTabs.convertTabsToSpaces = false;
  EXPECT_EQ(Reformat(kExample, kHuman, keepTabs), (Lines{"{", "\t\"a\": ", "\t[", "\t\t1,", "\t\t2",
                                                         "\t],", "\t\"b\": {", "\t\t}", "}"}));
  // Compact ignores the tab option.
  EXPECT_EQ(Reformat(kExample, kCompact, keepTabs), (Lines{"{\"a\":[1,2],\"b\":{}}"}));
}

// “ and ” as UTF-8, to keep the rows readable.
std::string Q(std::string s) {
  for (auto [mark, bytes] : {std::pair{"<<", "\xE2\x80\x9C"}, std::pair{">>", "\xE2\x80\x9D"}}) {
    for (std::size_t p; (p = s.find(mark)) != std::string::npos;) s.replace(p, 2, bytes);
  }
  return s;
}

TEST(ReformatDocument, TypographicQuotesThatDelimitStrings) {
  struct Case {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"name", Q("{<<a>>: 1}"), "{\"a\":1}"},
      {"value_and_reversed_marks", Q("[<<x>>, >>y<<]"), "[\"x\",\"y\"]"},
      // Inside a plain-quoted string they are text; turning them would end the string.
      {"text_in_plain_string", Q("[\"say <<hi>>\", 2]"), Q("[\"say <<hi>>\",2]")},
      {"after_escaped_quote", Q("[\"a\\\"<<\", 2]"), Q("[\"a\\\"<<\",2]")},
      {"escaped_in_typographic_string", Q("[<<a\\<<b>>]"), "[\"a\\\"b\"]"},
      {"plain_quote_ends_typographic_string", Q("[<<a\", <<b>>]"), "[\"a\",\"b\"]"},
      // Outside a string a backslash escapes nothing: its quote opens a string, so the
      // typographic ones after the comma stand outside one and are turned.
      {"backslash_outside_a_string", Q("[1 \\\" " + std::string(70, ' ') + ", \"<<a>>\"]"),
       "[1,\"\"a\"\"]"},
      // The text between turned quotes moves up as it is, escapes included.
      {"text_between_turned_quotes", Q("[<<a>>, \"b\\\"c\", \"<<d\", <<e>>, \"f\"]"),
       Q("[\"a\",\"b\\\"c\",\"<<d\",\"e\",\"f\"]")},
      // Single typographic quotes, U+201E, U+201F, guillemets and a dash stay as they are.
      {"others_kept",
       "\"\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9E\xE2\x80\x9F\xC2\xAB\xC2\xBB\xE2\x80\x94\" ",
       "\"\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9E\xE2\x80\x9F\xC2\xAB\xC2\xBB\xE2\x80\x94\""},
      {"single_marks_not_a_name",
       "{\xE2\x80\x98"
       "a\xE2\x80\x99:1}",
       "{"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Both in a working copy and in the document's own buffer.
    for (bool keep : {true, false}) {
      ReformatOptions options;
      options.keepDocumentOnFailure = keep;
      EXPECT_EQ(Reformat({c.in}, kCompact, options), Lines{c.out}) << "keep " << keep;
    }
  }
}

TEST(ReformatDocument, TypographicQuotesWhereverTheyFallInTheText) {
  // Each piece as written and as the compact result holds it.
  const std::vector<std::pair<std::string, std::string>> pieces = {
      {"\"pl\\\"ain\"", "\"pl\\\"ain\""},
      {Q("<<ty\\<<po>>"), "\"ty\\\"po\""},
      {Q("\"say <<hi>> \\\\\""), Q("\"say <<hi>> \\\\\"")},
      {Q("<<a\""), "\"a\""},
      {"\"x\xE2\x80\x94y\"", "\"x\xE2\x80\x94y\""},
      {Q("<<\xE2\x80\x94>>"), "\"\xE2\x80\x94\""},
      {"\"\\\\\\\\\"", "\"\\\\\\\\\""},
      {Q("\"<<\""), Q("\"<<\"")},
      {"\"" + std::string(70, 'w') + "\"", "\"" + std::string(70, 'w') + "\""},
  };
  for (std::size_t shift = 0; shift <= 130; ++shift) {
    const std::string pad = "\"" + std::string(shift, 'x') + "\"";
    std::string in = "[" + pad, out = "[" + pad;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      const auto& [written, result] = pieces[(k + shift) % pieces.size()];
      in += " , " + written;
      out += "," + result;
    }
    in += "]";
    out += "]";
    SCOPED_TRACE(shift);
    EXPECT_EQ(Reformat({in}, kCompact), Lines{out});
  }
}

TEST(ReformatDocument, Edges) {
  struct Case {
    const char* name;
    Lines in;
    ReformatMode mode;
    Lines out;
  } cases[] = {
      {"empty_compact", {}, kCompact, {}},
      {"empty_human", {}, kHuman, {}},
      {"comments_only_is_empty", {"// a", "  // b"}, kHuman, {}},
      {"blank_lines_are_not_empty", {"", "  "}, kCompact, {"null"}},
      {"top_level_array_has_no_leading_blank_line", {"[1,2]"}, kHuman, {"[", "  1,", "  2", "]"}},
      {"raw_tab_in_string_survives_compact", {"[\"a\tb\"]"}, kCompact, {"[\"a\tb\"]"}},
      {"raw_tab_in_string_becomes_spaces", {"[\"a\tb\"]"}, kHuman, {"[", "  \"a  b\"", "]"}},
      {"line_with_value_before_slashes_stays", {"[1, // c", "2]"}, kCompact, {"[1,null"}},
      {"raw_line_break_in_string_splits", {"[\"a", "b\"]"}, kCompact, {"[\"a", "b\"]"}},
      {"zero_byte_ends_the_text", {std::string("[1]\0[2]", 7)}, kCompact, {"[1]"}},
      // The engine writes the lone lead byte C3 as a separator; it must not reach the
      // document as invalid UTF-8.
      {"lone_lead_byte_becomes_fffd", {"[\"a\"\xC3\xA9]"}, kCompact, {"[\"a\"\xEF\xBF\xBDnull"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Reformat(c.in, c.mode), c.out);
  }
}

// Where the streaming engine stopped, in the document as the user had it: comment lines
// counted, typographic quotes and characters outside the BMP one column each.
TEST(ReformatDocument, ReportsWhereReadingStopped) {
  constexpr std::size_t kComplete = 0;
  const struct {
    const char* name;
    Lines in;
    std::size_t line, column;  // kComplete: read to its end
  } cases[] = {
      {"example", {"{\"a\":[1,2,{\"b\":tru}],\"c\":3}"}, 1, 16},
      {"cut_in_a_string", {"{\"a\": \"bc"}, 1, 7},
      {"cut_at_the_end_of_a_number", {"[1,", "  23"}, 2, 5},
      {"bad_number", {"[1, 01]"}, 1, 5},
      {"after_a_name", {"{", "  \"a\" 1}"}, 2, 3},
      {"after_the_first_value", {"{\"a\":1}", "  tail"}, 2, 3},
      {"comment_lines_above", {"// one", "{", "  // two", "", "  \"a\": tru", "}"}, 5, 8},
      {"comment_lines_after", {"[1,", "// one", "// two"}, 1, 4},
      {"wide_characters_before", {Q("{<<a>>: \"\xF0\x9F\x98\x80\", \"b\": tru}")}, 1, 17},
      {"trailing_white_space", {"{\"a\":1}  ", "", " \t"}, kComplete, 0},
      {"blank_lines_only", {"", "  "}, kComplete, 0},
      {"comment_after_value", {"[1]", "// done"}, kComplete, 0},
  };
  for (const auto& c : cases) {
    for (ReformatMode mode : {kCompact, kHuman}) {
      for (bool keep : {true, false}) {
        SCOPED_TRACE(std::string(c.name) + (mode == kCompact ? " compact" : " human") +
                     (keep ? " keep" : " in place"));
        DocumentLines d = Doc(c.in);
        ReformatOptions options;
        options.keepDocumentOnFailure = keep;
        const ReformatResult r = ReformatDocument(d, mode, options);
        EXPECT_EQ(r.complete, c.line == kComplete);
        EXPECT_EQ(r.line, c.line);
        EXPECT_EQ(r.column, c.column);
      }
    }
  }
  // The result is what the engine wrote up to there.
  EXPECT_EQ(Reformat(cases[0].in, kCompact), Lines{"{\"a\":[1,2,{\"b\":null"});
  // The document-tree engine reads everything or raises an error.
  ReformatOptions tree;
  tree.humanReadableEngine = HumanReadableEngine::DocumentTree;
  DocumentLines d = Doc({"[1]  "});
  EXPECT_TRUE(ReformatDocument(d, kHuman, tree).complete);
}

TEST(ReformatDocument, UnquotedNames) {
  ReformatOptions unquoted;
  unquoted.unquotedNames = true;
  EXPECT_EQ(Reformat({"{\"a\":1,\"b c\":2}"}, kCompact, unquoted), (Lines{"{a:1,\"b c\":2}"}));
  EXPECT_EQ(Reformat({"{\"a\":1}"}, kHuman, unquoted), (Lines{"{", "  a: 1", "}"}));
}

TEST(ReformatDocument, FailingEngineLeavesDocumentWithoutCommentLines) {
  ReformatOptions tree;
  tree.humanReadableEngine = HumanReadableEngine::DocumentTree;
  DocumentLines d = Doc({"// note", "{\"a\" 1}", "  // more", "[2]"});
  EXPECT_THROW(ReformatDocument(d, kHuman, tree), JSONSyntaxError);
  EXPECT_EQ(LinesOf(d), (Lines{"{\"a\" 1}", "[2]"}));
  d = Doc({"{\"a\":1}", "[2]"});
  // Compact always uses the streaming engine, whatever is chosen for Human Readable.
  ReformatDocument(d, kCompact, tree);
  EXPECT_EQ(LinesOf(d), (Lines{"{\"a\":1}"}));
}

TEST(ReformatDocument, DocumentTreeEmptyAndBlankDocuments) {
  ReformatOptions tree;
  tree.humanReadableEngine = HumanReadableEngine::DocumentTree;
  // Comment lines only: the empty text, which stands for an empty object.
  EXPECT_EQ(Reformat({"// a", "  // b"}, kHuman, tree), (Lines{"{", "", "}"}));
  // Blank lines are not the empty text: they hold no value, which is an error.
  DocumentLines blank = Doc({"", "  "});
  EXPECT_THROW(ReformatDocument(blank, kHuman, tree), JSONError);
  EXPECT_EQ(LinesOf(blank), (Lines{"", "  "}));
}

}  // namespace
}  // namespace braceform
