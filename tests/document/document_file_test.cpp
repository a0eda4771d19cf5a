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
    {"utf16le",
     std::string("\xFF\xFE"
                 "a\0\n\0\xE9\0",
                 8),
     "CP1252",
     {"a", "\xC3\xA9"}},
    {"utf16be_pair",
     std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00", 8),
     "CP1252",
     {"a\xF0\x9F\x98\x80"}},
    {"utf16le_crlf",
     std::string("\xFF\xFE"
                 "a\0\r\0\n\0b\0",
                 10),
     "CP1252",
     {"a", "b"}},
    {"utf16_lone_surrogate",
     std::string("\xFF\xFE\x00\xD8"
                 "a\0",
                 6),
     "CP1252",
     {"\xEF\xBF\xBD"
      "a"}},
    {"utf16_odd_trailing_byte",
     std::string("\xFF\xFE"
                 "a\0b",
                 5),
     "CP1252",
     {"a\xEF\xBF\xBD"}},
    {"valid_utf8", "caf\xC3\xA9", "CP1252", {"caf\xC3\xA9"}},
    {"invalid_utf8_reads_cp1252", "caf\xE9\n\x80", "CP1252", {"caf\xC3\xA9", "\xE2\x82\xAC"}},
    {"invalid_utf8_reads_cp1251", "\xC0\xE1", "CP1251", {"\xD0\x90\xD0\xB1"}},
    // Bytes a single-byte code page leaves undefined in 0x80 to 0x9F: the control character
    // of the same number; elsewhere, and in multi-byte code pages, U+FFFD.
    {"byte_undefined_in_cp1252", "a\x81z", "CP1252", {"a\xC2\x81z"}},
    {"all_undefined_in_cp1252",
     "\x81\x8D\x8F\x90\x9D\x80",
     "CP1252",
     {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xE2\x82\xAC"}},
    {"undefined_in_cp1251", "\x98\xC0", "CP1251", {"\xC2\x98\xD0\x90"}},
    {"undefined_in_cp1253", "\x81\xAA\xC1", "CP1253", {"\xC2\x81\xEF\xBF\xBD\xCE\x91"}},
    {"undefined_in_cp874", "\x81\xA1", "windows-874", {"\xC2\x81\xE0\xB8\x81"}},
    {"cut_double_byte_in_cp932", "a\x81", "CP932", {"a\xEF\xBF\xBD"}},
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
      {"", "de_DE.UTF-8", "CP1252"}, {"", "fr_FR", "CP1252"},
      {"", "ru_RU.UTF-8", "CP1251"}, {"", "pl_PL.UTF-8", "CP1250"},
      {"", "cs_CZ", "CP1250"},       {"", "el_GR", "CP1253"},
      {"", "tr_TR", "CP1254"},       {"", "he_IL", "CP1255"},
      {"", "ar_EG", "CP1256"},       {"", "lt_LT", "CP1257"},
      {"", "vi_VN", "CP1258"},       {"", "th_TH", "CP874"},
      {"", "ja_JP.UTF-8", "CP932"},  {"", "zh_CN.UTF-8", "CP936"},
      {"", "ko_KR", "CP949"},        {"", "zh_TW.UTF-8", "CP950"},
      {"", "sr_RS@latin", "CP1250"}, {"", "C", "CP1252"},
      {"", "POSIX", "CP1252"},       {"", "", "CP1252"},
      {"ru_RU", "de_DE", "CP1251"},
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
    if (saved[i])
      setenv(names[i], keep[i].c_str(), 1);
    else
      unsetenv(names[i]);
  }
}

using FileTest = TempDirTest;

// A limit on the size of files this process writes, for as long as it lives; going past it
// is a write error (EFBIG), not the signal that would end the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldHandler_(signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit tiny = saved_;
    tiny.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_;
  sighandler_t oldHandler_;
};

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
  bool threw = false;
  try {
    FileSizeLimit limit(4);
    WriteFileAtomically(existing.string(), std::string(1000, 'x'));
  } catch (const FileError& e) {
    threw = true;
    EXPECT_NE(std::string(e.what()).find("existing.json"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(threw);
  EXPECT_EQ(Slurp(existing), "old content");
  EXPECT_EQ(EntriesInDir(), 2u);  // the folder and the old file, no temporary file
}

// What WriteFileAtomically reported, or the empty text.
std::string WriteError(const fs::path& p, std::string_view bytes) {
  try {
    WriteFileAtomically(p.string(), bytes);
    return "";
  } catch (const FileError& e) {
    return e.what();
  }
}

std::string Expect(bool ok, const std::string& what) { return ok ? "" : what + "; "; }

// A target the user may not write is refused as writing it in place would be, even where
// the folder would let a new file take its name; the old file stays as it was.
TEST_F(FileTest, TargetTheUserMayNotWriteIsRefused) {
  ASSERT_EQ(::chown(dir_.c_str(), kUnprivileged, kUnprivileged) == 0, ::geteuid() == 0);
  fs::path readOnly = dir_ / "read-only.json", others = dir_ / "others.json";
  Spit(readOnly, "old");
  Spit(others, "theirs");
  ::chmod(readOnly.c_str(), 0444);
  ::chmod(others.c_str(), 0644);
  const bool root = ::geteuid() == 0;
  if (root) ::chown(readOnly.c_str(), kUnprivileged, kUnprivileged);  // theirs: root's
  std::string problem = Unprivileged([&] {
    std::string p;
    for (const fs::path& target : root ? std::vector{readOnly, others} : std::vector{readOnly}) {
      const std::string error = WriteError(target, "new");
      p += Expect(error == "Cannot write \"" + target.string() + "\": Permission denied",
                  target.filename().string() + " gave '" + error + "'");
    }
    return p;
  });
  EXPECT_EQ(problem, "");
  EXPECT_EQ(Slurp(readOnly), "old");
  EXPECT_EQ(Slurp(others), "theirs");
  EXPECT_EQ(EntriesInDir(), 2u);  // no temporary file left behind
}

// A folder that takes no new file, with a target that may be written: written in place.
TEST_F(FileTest, WritableTargetInAFolderThatTakesNoNewFile) {
  fs::path folder = dir_ / "locked", target = folder / "target.json";
  fs::create_directory(folder);
  Spit(target, "old content, longer than the new");
  const bool root = ::geteuid() == 0;
  if (root) {
    ::chown(target.c_str(), kUnprivileged, kUnprivileged);
  } else {
    ::chmod(folder.c_str(), 0555);
  }
  struct stat before;
  ASSERT_EQ(::stat(target.c_str(), &before), 0);
  std::string problem = Unprivileged([&] {
    return Expect(WriteError(target, "new") == "", "the in-place write failed") +
           Expect(
               WriteError(folder / "new.json", "x").find("Permission denied") != std::string::npos,
               "a new file could be made");
  });
  EXPECT_EQ(problem, "");
  EXPECT_EQ(Slurp(target), "new");
  struct stat after;
  ASSERT_EQ(::stat(target.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  ::chmod(folder.c_str(), 0755);
}

TEST_F(FileTest, HardLinkedTargetIsWrittenInPlace) {
  fs::path first = dir_ / "first.json", second = dir_ / "second.json";
  Spit(first, "old");
  fs::create_hard_link(first, second);
  for (std::string text : {"a longer text than before", "short", ""}) {
    SCOPED_TRACE(text);
    WriteFileAtomically(second.string(), text);
    EXPECT_EQ(Slurp(first), text);
    EXPECT_EQ(fs::hard_link_count(first), 2u);
    EXPECT_TRUE(fs::equivalent(first, second));
  }
  // The block-wise writer holds the text until it is whole.
  {
    AtomicFile file(first.string());
    file.Write("[1,");
    file.Write("2]");
    EXPECT_EQ(Slurp(second), "");
    file.Commit();
  }
  EXPECT_EQ(Slurp(second), "[1,2]");
  {
    AtomicFile abandoned(first.string());
    abandoned.Write("x");
  }  // no Commit: untouched
  EXPECT_EQ(Slurp(second), "[1,2]");
  EXPECT_EQ(EntriesInDir(), 2u);
}

TEST_F(FileTest, OwnerGroupAndModeAreKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  fs::path target = dir_ / "owned.json";
  Spit(target, "old");
  ASSERT_EQ(::chown(target.c_str(), 12345, 23456), 0);
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  struct stat before;
  ASSERT_EQ(::stat(target.c_str(), &before), 0);
  WriteFileAtomically(target.string(), "new");
  struct stat after;
  ASSERT_EQ(::stat(target.c_str(), &after), 0);
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not written in place
  EXPECT_EQ(after.st_uid, 12345u);
  EXPECT_EQ(after.st_gid, 23456u);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
}

// In place too, a file size limit fails before the old text is touched.
TEST_F(FileTest, SizeLimitLeavesAnInPlaceTargetIntact) {
  fs::path target = dir_ / "target.json", link = dir_ / "link.json";
  Spit(target, "old content");
  fs::create_hard_link(target, link);
  std::string error;
  {
    FileSizeLimit limit(100);
    error = WriteError(target, std::string(1000, 'x'));
  }
  EXPECT_EQ(error, "Cannot write \"" + target.string() + "\": File too large");
  EXPECT_EQ(Slurp(target), "old content");
  EXPECT_EQ(fs::file_size(target), 11u);
}

}  // namespace
}  // namespace braceform
