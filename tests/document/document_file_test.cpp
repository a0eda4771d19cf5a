#include "document/document_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/files.h"

namespace braceform {
namespace {

using namespace braceform::testing;
using Lines = std::vector<std::string>;

Lines LinesOf(const DocumentLines& d) {
  Lines v;
  for (std::size_t i = 0; i < d.Count(); ++i) v.emplace_back(d.Line(i));
  return v;
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  const char* codePage;
  Lines lines;
};

const DecodeCase kDecodeCases[] = {
    {"empty_file", "", "CP1252", {}},
    {"utf8_mark_skipped", "\xEF\xBB\xBF{}\r\n", "CP1252", {"{}"}},
    {"utf8_mark_alone", "\xEF\xBB\xBF", "CP1252", {}},
    {"utf16le", std::string("\xFF\xFE" "a\0\n\0\xE9\0", 8), "CP1252", {"a", "\xC3\xA9"}},
    {"utf16be_pair", std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00", 8), "CP1252", {"a\xF0\x9F\x98\x80"}},
    {"utf16le_crlf", std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10), "CP1252", {"a", "b"}},
    {"utf16_lone_surrogate", std::string("\xFF\xFE\x00\xD8" "a\0", 6), "CP1252", {"\xEF\xBF\xBD" "a"}},
    {"utf16_odd_trailing_byte", std::string("\xFF\xFE" "a\0b", 5), "CP1252", {"a\xEF\xBF\xBD"}},
    {"valid_utf8", "caf\xC3\xA9", "CP1252", {"caf\xC3\xA9"}},
    {"invalid_utf8_reads_cp1252", "caf\xE9\n\x80", "CP1252", {"caf\xC3\xA9", "\xE2\x82\xAC"}},
    {"invalid_utf8_reads_cp1251", "\xC0\xE1", "CP1251", {"\xD0\x90\xD0\xB1"}},
    {"byte_undefined_in_cp1252", "a\x81z", "CP1252", {"a\xEF\xBF\xBDz"}},
    {"marked_utf8_with_bad_byte", "\xEF\xBB\xBF\xC3\xA9\xFF", "CP1252", {"\xC3\xA9\xEF\xBF\xBD"}},
    {"lone_cr", "a\rb", "CP1252", {"a", "b"}},
    {"final_break_adds_no_line", "a\nb\n", "CP1252", {"a", "b"}},
    {"crlf_lf_cr_mix", "a\r\nb\nc\rd\n\re", "CP1252", {"a", "b", "c", "d", "", "e"}},
    {"zero_byte_kept", std::string("a\0b", 3), "CP1252", {std::string("a\0b", 3)}},
};

TEST(DecodeDocument, MarksUtf8AndAnsiFallback) {
  for (const auto& c : kDecodeCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LinesOf(DecodeDocument(std::string(c.bytes), c.codePage)), c.lines);
  }
}

TEST(UserAnsiCodePage, FromLocale) {
  struct Case {
    const char* lcAll;
    const char* lang;
    const char* codePage;
  } cases[] = {
      {"", "de_DE.UTF-8", "CP1252"}, {"", "fr_FR", "CP1252"},          {"", "ru_RU.UTF-8", "CP1251"},
      {"", "pl_PL.UTF-8", "CP1250"}, {"", "cs_CZ", "CP1250"},          {"", "el_GR", "CP1253"},
      {"", "tr_TR", "CP1254"},       {"", "he_IL", "CP1255"},          {"", "ar_EG", "CP1256"},
      {"", "lt_LT", "CP1257"},       {"", "vi_VN", "CP1258"},          {"", "th_TH", "CP874"},
      {"", "ja_JP.UTF-8", "CP932"},  {"", "zh_CN.UTF-8", "CP936"},     {"", "ko_KR", "CP949"},
      {"", "zh_TW.UTF-8", "CP950"},  {"", "sr_RS@latin", "CP1250"},    {"", "C", "CP1252"},
      {"", "POSIX", "CP1252"},       {"", "", "CP1252"},               {"ru_RU", "de_DE", "CP1251"},
  };
  const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG")};
  std::string keep[3];
  for (int i = 0; i < 3; ++i) keep[i] = saved[i] ? saved[i] : "";
  unsetenv("LC_CTYPE");
  for (const auto& c : cases) {
    setenv("LC_ALL", c.lcAll, 1);
    setenv("LANG", c.lang, 1);
    EXPECT_EQ(UserAnsiCodePage(), c.codePage) << c.lcAll << " " << c.lang;
  }
  const char* names[3] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i]) setenv(names[i], keep[i].c_str(), 1); else unsetenv(names[i]);
  }
}

using FileTest = TempDirTest;

TEST_F(FileTest, ReadErrorsNameTheFileAndReason) {
  struct Case {
    fs::path path;
    const char* reason;
  } cases[] = {{dir_ / "missing.json", "No such file or directory"}, {dir_, "Is a directory"}};
  for (const auto& c : cases) {
    try {
      ReadFileBytes(c.path.string());
      ADD_FAILURE() << "no error for " << c.path;
    } catch (const FileError& e) {
      std::string what = e.what();
      EXPECT_NE(what.find(c.path.string()), std::string::npos) << what;
      EXPECT_NE(what.find(c.reason), std::string::npos) << what;
      EXPECT_EQ(what.find('\n'), std::string::npos);
    }
  }
}

TEST_F(FileTest, SavedLoadedFileIsUtf8WithCrLfAndNoMark) {
  fs::path p = dir_ / "in.json";
  Spit(p, "\xEF\xBB\xBF{\"a\":\n1}\n\n");
  DocumentLines d = LoadDocumentFile(p.string());
  WriteFileAtomically(p.string(), d.TextForm());
  EXPECT_EQ(Slurp(p), "{\"a\":\r\n1}\r\n\r\n");
  EXPECT_EQ(EntriesInDir(), 1u);  // no temporary file left behind
}

TEST_F(FileTest, AtomicWriteKeepsModeAndReplacesThroughLinks) {
  fs::path real = dir_ / "real.json", link = dir_ / "link.json";
  Spit(real, "old");
  ::chmod(real.c_str(), 0640);
  fs::create_symlink(real, link);
  WriteFileAtomically(link.string(), "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(real), "new");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileTest, FailedWritesLeaveTheOldStateIntact) {
  fs::path folderTarget = dir_ / "folder";
  fs::create_directory(folderTarget);
  EXPECT_THROW(WriteFileAtomically(folderTarget.string(), "x"), FileError);
  EXPECT_TRUE(fs::is_directory(folderTarget));
  EXPECT_THROW(WriteFileAtomically((dir_ / "no" / "such.json").string(), "x"), FileError);

  // A file size limit makes the write itself fail, even as root.
  fs::path existing = dir_ / "existing.json";
  Spit(existing, "old content");
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit tiny = saved;
  tiny.rlim_cur = 4;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  bool threw = false;
  try {
    WriteFileAtomically(existing.string(), std::string(1000, 'x'));
  } catch (const FileError& e) {
    threw = true;
    EXPECT_NE(std::string(e.what()).find("existing.json"), std::string::npos) << e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(threw);
  EXPECT_EQ(Slurp(existing), "old content");
  EXPECT_EQ(EntriesInDir(), 2u);  // the folder and the old file, no temporary file
}

}  // namespace
}  // namespace braceform
