// Drives the built braceform-cli: exact output bytes, exit statuses and messages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"

namespace braceform {
namespace {

using namespace braceform::testing;

// "↵" stands for CR LF and "⇥" for one TAB, so that each case reads as the text it shows.
std::string R(std::string s) {
  for (auto [mark, bytes] : {std::pair{"↵", "\r\n"}, std::pair{"⇥", "\t"}}) {
    for (std::size_t p; (p = s.find(mark)) != std::string::npos;) s.replace(p, 3, bytes);
  }
  return s;
}

struct Result {
  int status = -1;
  std::string out, err;
};

class Cli : public TempDirTest {
 protected:
  // Runs the tool with `args` (split at spaces; a stand-alone "@" is the input file) and
  // `input` both as that file and on standard input.
  Result Run(const std::string& args, const std::string& input = "", bool unprivileged = false) {
    fs::path in = dir_ / "input.json", out = dir_ / "stdout", err = dir_ / "stderr";
    Spit(in, input);
    std::vector<std::string> argv = {BRACEFORM_CLI};
    std::istringstream words(args);
    for (std::string w; words >> w;) argv.push_back(w == "@" ? in.string() : w);
    pid_t pid = fork();
    if (pid == 0) {
      int fin = open(in.c_str(), O_RDONLY);
      int fout = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int ferr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fin, 0);
      dup2(fout, 1);
      dup2(ferr, 2);
      if (unprivileged && !DropPrivileges()) _exit(126);
      std::vector<char*> v;
      for (auto& a : argv) v.push_back(a.data());
      v.push_back(nullptr);
      execv(v[0], v.data());
      _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    Result r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }
};

constexpr bool kCut = true;

struct EngineCase {
  const char* name;
  const char* args;
  std::string input;
  std::string output;
  bool cut = false;  // the text is not read to its end: status 4 and one line of notice
};

// The streaming engine alone: its exact bytes, no line break added.
const EngineCase kEngineCases[] = {
    // What it makes of malformed input.
    {"empty_text", "--raw", "", ""},
    {"blanks_only", "--raw", "   ", "null"},
    {"number_at_end", "--raw", "123", "", kCut},
    {"number_then_blank", "--raw", "123 ", "123"},
    {"unclosed_string", "--raw", "\"abc", "", kCut},
    {"number_then_stray", "--raw", "[1 2]", "[1]"},
    {"hex_number", "--raw", "[0x1F]", "[0]"},
    {"leading_zero", "--raw", "[01]", "[null", kCut},
    {"trailing_comma", "--raw", "[1,]", "[1,null", kCut},
    {"array_cut_in_number", "--raw", "[1,2", "[1,", kCut},
    {"open_bracket", "--raw", "[", "[null", kCut},
    {"open_brace", "--raw", "{", "{", kCut},
    {"open_brace_human", "--raw --human", "{", R("{↵⇥"), kCut},
    {"object_trailing_comma", "--raw", "{\"a\":1,}", "{\"a\":1,", kCut},
    {"object_trailing_comma_human", "--raw --human", "{\"a\":1,}", R("{↵⇥\"a\": 1,↵⇥"), kCut},
    {"array_ends_after_comma", "--raw", "[1,", "[1,", kCut},
    {"array_ends_after_comma_human", "--raw --human", "[1,", R("↵[↵⇥1,"), kCut},
    {"ends_after_colon", "--raw", "{\"a\":", "{\"a\":", kCut},
    {"ends_after_colon_human", "--raw --human", "{\"a\":", R("{↵⇥\"a\": "), kCut},
    {"ends_after_colon_blank", "--raw", "{\"a\": ", "{\"a\":null", kCut},
    {"string_at_end", "--raw", "{\"a\":\"b\"", "{\"a\":\"b\"", kCut},
    {"literal_at_end", "--raw", "{\"a\":true", "{\"a\":true", kCut},
    {"text_after_value", "--raw", "{\"a\":1} xyz", "{\"a\":1}", kCut},
    {"stray_after_string", "--raw", "[\"a\" x, \"b\"]", "[\"a\"xnull", kCut},
    {"missing_comma", "--raw", "{\"a\":1 \"b\":2}", "{\"a\":1:", kCut},
    {"byte_order_mark", "--raw", "\xEF\xBB\xBF{}", "null", kCut},
    {"block_comment", "--raw", "[1, /* c */ 2]", "[1,null", kCut},
    {"line_comment", "--raw", "{\"a\":1, // c\r\n\"b\":2}", "{\"a\":1,", kCut},
    // The three sample documents.
    {"example1", "--raw", "{\"id\":7,\"tags\":[\"x\",\"y\"],\"meta\":{}}",
     "{\"id\":7,\"tags\":[\"x\",\"y\"],\"meta\":{}}"},
    {"example1_human", "--raw --human", "{\"id\":7,\"tags\":[\"x\",\"y\"],\"meta\":{}}",
     R("{↵⇥\"id\": 7,↵⇥\"tags\": ↵⇥[↵⇥⇥\"x\",↵⇥⇥\"y\"↵⇥],↵⇥\"meta\": {↵⇥⇥}↵}")},
    {"example2", "--raw", "[ 1, [2, \"x\"], {\"y\": null} ]", "[1,[2,\"x\"],{\"y\":null}]"},
    {"example2_human", "--raw --human", "[ 1, [2, \"x\"], {\"y\": null} ]",
     R("↵[↵⇥1,↵⇥[↵⇥⇥2,↵⇥⇥\"x\"↵⇥],↵⇥{↵⇥⇥\"y\": null↵⇥}↵]")},
    {"example3", "--raw", "{a=1, 'b c': 2, \"\\u00e9\\/\": \"\\u00e9\\/\", \"t\\tab\": 0x1F}",
     "{\"a\":1,\"b c\":2,\"\xC3\xA9/\":\"\\u00e9\\/\",\"t\\tab\":0}"},
    {"example3_human", "--raw --human",
     "{a=1, 'b c': 2, \"\\u00e9\\/\": \"\\u00e9\\/\", \"t\\tab\": 0x1F}",
     R("{↵⇥\"a\": 1,↵⇥\"b c\": 2,↵⇥\"\xC3\xA9/\": \"\\u00e9\\/\",↵⇥\"t\\tab\": 0↵}")},
    {"example3_unquoted", "--raw --unquoted",
     "{a=1, 'b c': 2, \"\\u00e9\\/\": \"\\u00e9\\/\", \"t\\tab\": 0x1F}",
     "{a:1,\"b c\":2,\"\xC3\xA9/\":\"\\u00e9\\/\",\"t\\tab\":0}"},
    // Further edges.
    {"top_level_literal", "--raw --human", "true", "true"},
    {"top_level_string", "--raw --human", "\"abc\"", "\"abc\""},
    {"empty_arrays", "--raw --human", "[[],[ ],[\t]]", R("↵[↵⇥[],↵⇥[],↵⇥[]↵]")},
    {"empty_object_human", "--raw --human", "{}", R("{↵⇥}")},
    {"nested_empty_object_human", "--raw --human", "{\"a\":{}}", R("{↵⇥\"a\": {↵⇥⇥}↵}")},
    {"flat_array_human", "--raw --human", "[1,2]", R("↵[↵⇥1,↵⇥2↵]")},
    {"control_bytes_are_blanks", "--raw",
     "[\x01"
     "1\x1F,2 ]",
     "[1,2]"},
    {"string_copied_raw", "--raw", "[\"a\tb\nc\xC3\xA9\"]", "[\"a\tb\nc\xC3\xA9\"]"},
    {"name_raw_tab_escaped", "--raw", "{\"a\tb\":1}", "{\"a\\tb\":1}"},
    {"name_control_escape", "--raw", "{\"a\\u001fb\":1}", "{\"a\\u001Fb\":1}"},
    {"name_zero_escape", "--raw", "{\"\\u0000\":1}", "{\"?\":1}"},
    {"name_lone_high_surrogate", "--raw", "{\"\\ud83d\":1}", "{\"?\":1}"},
    {"name_surrogate_pair", "--raw", "{\"\\ud83d\\ude00\":1}", "{\"\xF0\x9F\x98\x80\":1}"},
    {"name_surrogate_pair_reversed", "--raw", "{\"\\ude00\\ud83d\":1}", "{\"\xF0\x9F\x98\x80\":1}"},
    {"unquoted_bare_names", "--raw --unquoted", "{\"$ref\":1,\"1a\":2,\"a.b[0]\":3}",
     "{$ref:1,1a:2,a.b[0]:3}"},
    {"unquoted_quoted_names", "--raw --unquoted --human", "{\"\":1,\"a b\":2}",
     R("{↵⇥\"\": 1,↵⇥\"a b\": 2↵}")},
    {"numbers_as_they_stand", "--raw", "[-,1.2.3,1E+2,-0]", "[-,1.2.3,1E+2,-0]"},
    {"zero_byte_ends_text", "--raw", std::string("{\"a\":1}\0{\"b\":2}", 15), "{\"a\":1}", kCut},
    // The whole pipeline, as the buttons run it and "Save JSON File..." writes it.
    {"pipeline_compact", "--compact",
     "// config\r\n{\xE2\x80\x9C"
     "a\xE2\x80\x9D:[1,2],\"b\":{}}\r\n",
     "{\"a\":[1,2],\"b\":{}}\r\n"},
    {"pipeline_human", "--human",
     "// config\n{\xE2\x80\x9C"
     "a\xE2\x80\x9D:[1,2],\"b\":{}}",
     "{\r\n  \"a\": \r\n  [\r\n    1,\r\n    2\r\n  ],\r\n  \"b\": {\r\n    }\r\n}\r\n"},
    {"pipeline_keep_tabs_lf", "--human --keep-tabs --lf", "[1]", "[\n\t1\n]\n"},
    {"pipeline_reads_utf16", "", std::string("\xFF\xFE[\0 \0\xE9\0]\0", 10), "[null\r\n", kCut},
    {"pipeline_ansi_fallback", "", "[\"caf\xE9\"]", "[\"caf\xC3\xA9\"]\r\n"},
    {"pipeline_empty", "--human", "", ""},
    {"raw_keeps_mark_and_bytes", "--raw", "\xEF\xBB\xBF[1]", "null", kCut},
    // The document-tree engine: the facade alone, then through the pipeline.
    {"tree_raw_array", "--raw --human --engine tree", "[1,2]", "[\r\n1,\r\n2\r\n]"},
    {"tree_raw_string", "--raw --human --engine tree", "\"x\"", "\"x\""},
    {"tree_raw_compact", "--raw --compact --engine tree", "{\"a\": [1, 2]} tail", "{\"a\":[1,2]}"},
    {"tree_raw_decodes_mark", "--raw --compact --engine tree", "\xEF\xBB\xBF[1]", "[1]"},
    {"pipeline_tree", "--human --engine tree",
     "// config\r\n{\xE2\x80\x9C"
     "a\xE2\x80\x9D:[1,2],\"b\":{}}\r\n",
     "{\r\n  \"a\":  \r\n  [\r\n1,\r\n2  \r\n  ],\r\n  \"b\":  \r\n  {\r\n  \r\n  }\r\n}\r\n"},
    {"pipeline_tree_compact_streams", "--compact --engine tree", "[1, 2]", "[1,2]\r\n"},
};

TEST_F(Cli, EngineAndPipelineOutput) {
  for (const auto& c : kEngineCases) {
    SCOPED_TRACE(c.name);
    for (const char* source : {" @", " -", ""}) {  // a file, "-" and no name: standard input
      Result r = Run(std::string(c.args) + source, c.input);
      EXPECT_EQ(r.status, c.cut ? 4 : 0) << r.err;
      EXPECT_EQ(r.out, c.output) << "input from '" << source << "'";
      if (c.cut) {
        EXPECT_NE(r.err.find(": the text could not be read from here on; the output stops "
                             "there\n"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
      } else {
        EXPECT_EQ(r.err, "");
      }
    }
  }
}

// Where reading stopped, as the user sees the input: lines and characters, comment lines
// counted; with --raw over the input bytes.
TEST_F(Cli, CutTextIsReportedWithLineAndColumn) {
  const struct {
    const char* args;
    std::string input;
    std::size_t line, column;  // 0: read to its end
  } cases[] = {
      {"--compact", "{\"a\":[1,2,{\"b\":tru}],\"c\":3}", 1, 16},
      {"--human", "{\"a\": \"bc", 1, 7},
      {"--compact", "[1, 01]", 1, 5},
      {"--compact", "{\n  \"a\" 1}", 2, 3},
      {"--compact", "{\"a\":1}\r\ntail", 2, 1},
      {"--compact", "// one\n{\n  // two\n  \"\xC3\xA9\": tru\n}", 4, 8},
      {"--compact", "{\"a\":1}  \r\n\r\n  ", 0, 0},
      {"--raw", "{\"a\":\r\n  tru}", 2, 3},
      {"--raw --human", "[1,\r  \"\xF0\x9F\x98\x80\" x]", 2, 8},  // "]" after the separator x
      {"--raw", "// c\n[1]", 1, 1},                               // --raw removes no comment lines
      {"--raw", "{\"a\":1}  \n", 0, 0},
  };
  for (const auto& c : cases) {
    for (const char* source : {"@", "-"}) {
      SCOPED_TRACE(std::string(c.args) + " " + source + " " + c.input);
      Result r = Run(std::string(c.args) + " " + source, c.input);
      if (c.line == 0) {
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        continue;
      }
      const std::string name =
          *source == '@' ? (dir_ / "input.json").string() : std::string("standard input");
      EXPECT_EQ(r.status, 4);
      EXPECT_EQ(r.err, "braceform-cli: " + name + ": line " + std::to_string(c.line) + ", column " +
                           std::to_string(c.column) +
                           ": the text could not be read from here on; the output stops there\n");
    }
  }
  EXPECT_EQ(Run("--compact @", "{\"a\":[1,2,{\"b\":tru}],\"c\":3}").out,
            "{\"a\":[1,2,{\"b\":null\r\n");
}

TEST_F(Cli, CutTextLeavesTheOutputFileAlone) {
  fs::path target = dir_ / "out.json";
  for (const char* args : {"--compact", "--raw", "--raw --human"}) {
    SCOPED_TRACE(args);
    Spit(target, "old");
    Result r = Run(std::string(args) + " @ -o " + target.string(), "[1, 2, tru]");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("line 1, column 8"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(target), "old");
    EXPECT_EQ(EntriesInDir(), 4u);  // input, stdout, stderr and the target: no temporary file
  }
}

TEST_F(Cli, UsageErrors) {
  const char* cases[] = {
      "--bogus @", "@ @", "--engine fast @", "--engine", "-o", "--raw --lf @",
  };
  for (const char* args : cases) {
    Result r = Run(args, "[1]");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(r.err.rfind("braceform-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Usage: braceform-cli"), std::string::npos) << r.err;
  }
}

TEST_F(Cli, FileErrorsNameTheFileAndWriteNothing) {
  fs::create_directory(dir_ / "folder");
  struct Case {
    std::string args, named, reason;
  } cases[] = {
      {(dir_ / "missing.json").string(), "missing.json", "No such file or directory"},
      {(dir_ / "folder").string(), "folder", "Is a directory"},
      {"@ -o " + (dir_ / "no" / "out.json").string(), "out.json", "No such file or directory"},
      {"@ -o " + (dir_ / "folder").string(), "folder", "Is a directory"},
  };
  for (const auto& c : cases) {
    Result r = Run(c.args, "[1]");
    EXPECT_EQ(r.status, 3) << c.args;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
}

TEST_F(Cli, OutputFileIsReplacedWhole) {
  fs::path target = dir_ / "out.json";
  Spit(target, "old contents that are longer than the result");
  Result r = Run("--compact @ -o " + target.string(), "[ 1 ]");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Slurp(target), "[1]\r\n");
  // A failed read leaves the old output in place.
  r = Run((dir_ / "missing.json").string() + " -o " + target.string());
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(Slurp(target), "[1]\r\n");
}

// -o respects the file it replaces: one the user may not write is refused (checked as a
// user without privileges), and one with further names is written in place.
TEST_F(Cli, OutputFileIsWrittenAsItAllows) {
  ASSERT_EQ(::chown(dir_.c_str(), kUnprivileged, kUnprivileged) == 0, ::geteuid() == 0);
  fs::path readOnly = dir_ / "read-only.json", target = dir_ / "target.json",
           link = dir_ / "link.json";
  Spit(readOnly, "old");
  ::chmod(readOnly.c_str(), 0444);
  if (::geteuid() == 0) ::chown(readOnly.c_str(), kUnprivileged, kUnprivileged);
  Spit(target, "old");
  fs::create_hard_link(target, link);
  for (const char* mode : {"--compact", "--raw"}) {
    SCOPED_TRACE(mode);
    Result r = Run(std::string(mode) + " @ -o " + readOnly.string(), "[1, 2]", true);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "braceform-cli: Cannot write \"" + readOnly.string() + "\": Permission denied\n");
    EXPECT_EQ(Slurp(readOnly), "old");

    r = Run(std::string(mode) + " @ -o " + target.string(), "[1, 2]");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(link), std::string(mode) == "--raw" ? "[1,2]" : "[1,2]\r\n");
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    Spit(target, "old");
  }
  EXPECT_EQ(EntriesInDir(), 6u);  // input, stdout, stderr and the three names: no temporary file
}

TEST_F(Cli, TreeEngineErrorsAsTheWindowShowsThem) {
  struct Case {
    const char *args, *input, *err;
  } cases[] = {
      {"--human --engine tree @", "{\"a\" 1}", "Expected :. (Line: 1 Col: 6)\n"},
      {"--raw --human --engine tree @", "[1 2]", "Unexpected end of input. (Line: 1 Col: 4)\n"},
      {"--human --engine tree @", "[1 2]", "Unexpected end of input. (Line: 1 Col: 4)\n"},
  };
  for (const auto& c : cases) {
    Result r = Run(c.args, c.input);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
  // A text without any value is rejected too, with a message of its own.
  Result blank = Run("--human --engine tree @", "\r\n  \r\n");
  EXPECT_EQ(blank.status, 1);
  EXPECT_EQ(blank.out, "");
  EXPECT_NE(blank.err.find("No JSON value"), std::string::npos) << blank.err;
}

TEST_F(Cli, HelpAndVersion) {
  Result help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: braceform-cli [OPTIONS] [FILE|-]\n", 0), 0u);
  Result version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "braceform-cli 2.0.0.0\n");
}

}  // namespace
}  // namespace braceform
