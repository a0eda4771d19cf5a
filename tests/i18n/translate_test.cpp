#include "i18n/translate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "document/document_file.h"
#include "support/files.h"

namespace braceform {
namespace {

using testing::Slurp;
using testing::Spit;
namespace fs = std::filesystem;

constexpr unsigned kGerman = 1031;

class LanguageTest : public testing::TempDirTest {
 protected:
  fs::path Languages() {
    fs::create_directories(dir_ / "Languages");
    return dir_ / "Languages";
  }
  void Load(unsigned uiLanguage = kGerman, const std::string& fileName = {}) {
    LoadInterfaceLanguage(dir_.string(), fileName, uiLanguage);
  }
  void TearDown() override {
    LoadInterfaceLanguage("/nonexistent");  // no language for the next test
    TempDirTest::TearDown();
  }
};

TEST_F(LanguageTest, WithoutLanguagesFolderEverythingIsEnglish) {
  Load();
  EXPECT_TRUE(LanguageFileList().empty());
  EXPECT_EQ(LoadedLanguageFile(), "");
  EXPECT_EQ(CurrentLanguageName(), "");
  EXPECT_EQ(LanguagesFolder(), (dir_ / "Languages").string());
  EXPECT_EQ(TranslateText("Send"), "Send");
}

TEST_F(LanguageTest, MappedNameMatchesTheFileOnDiskWithoutRegardToCase) {
  fs::path langs = Languages();
  Spit(langs / "LanguageCodes.csv", "1036,French.lang.txt\r\n1031,german.lang.txt\r\n");
  Spit(langs / "German.lang.txt", "\xEF\xBB\xBF{Send}Senden\r\n");
  fs::create_directory(langs / "Folder.lang.txt");
  Spit(langs / "notes.txt", "");
  Load();
  EXPECT_EQ(CurrentLanguageName(), "German");
  EXPECT_EQ(LoadedLanguageFile(), (langs / "German.lang.txt").string());
  EXPECT_EQ(LanguageFileList(), std::vector<std::string>{"German.lang.txt"});
  EXPECT_EQ(TranslateText("Send"), "Senden");
}

TEST_F(LanguageTest, MappingLinesAreTrimmedComparedAsTextAndTheFirstWins) {
  struct Case {
    const char* csv;
    const char* loaded;  // language name, "" for none
  } cases[] = {
      {"  1031 \t,  German.lang.txt  \n", "German"},
      {"01031,German.lang.txt\n", ""},
      {"1031 German.lang.txt\n1031,German.lang.txt\n", "German"},  // no comma: skipped
      {"1031,Missing.lang.txt\n1031,German.lang.txt\n", ""},       // first line decides
      {"1031,French.lang.txt\n1031,German.lang.txt\n", "French"},
      {"\xFF\xFE"
       "1\0"
       "0\0"
       "3\0"
       "1\0"
       ",\0"
       "F\0"
       "r\0"
       "e\0"
       "n\0"
       "c\0"
       "h\0"
       ".\0"
       "l\0"
       "a\0"
       "n\0"
       "g\0"
       ".\0"
       "t\0"
       "x\0"
       "t\0",
       "French"},  // UTF-16 by its mark
      {"1033,German.lang.txt\n", ""},
  };
  fs::path langs = Languages();
  Spit(langs / "German.lang.txt", "{Send}Senden\n");
  Spit(langs / "French.lang.txt", "{Send}Envoyer\n");
  for (const Case& c : cases) {
    const std::string csv = c.csv[0] == '\xFF' ? std::string(c.csv, 42) : std::string(c.csv);
    Spit(langs / "LanguageCodes.csv", csv);
    Load();
    EXPECT_EQ(CurrentLanguageName(), c.loaded) << c.csv;
  }
}

TEST_F(LanguageTest, MappingInTheAnsiCodePageWithoutMark) {
  fs::path langs = Languages();
  Spit(langs / "LanguageCodes.csv", "1031,D\xE9utsch.lang.txt\n");  // é in CP1252
  Spit(langs / "D\xC3\xA9utsch.lang.txt", "{Send}Senden\n");
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  Load();
  ::unsetenv("LC_ALL");
  EXPECT_EQ(CurrentLanguageName(), "D\xC3\xA9utsch");
}

TEST_F(LanguageTest, EntryRules) {
  fs::path langs = Languages();
  Spit(langs / "German.lang.txt",
       "{Empty}\r"
       " {Spaced}Nein\n"
       "{send}klein\n"
       "{Send}A\r\n"
       "{Send}B\n"
       "{Brace}Se}nd\n"
       "{OK}\n"
       "{OK}Gut\n"
       "{INFO:Translated By}Anna, Ben");
  Load(0, "German.lang.txt");
  EXPECT_EQ(TranslateText("Send"), "A");
  EXPECT_EQ(TranslateText("Brace"), "Se}nd");
  EXPECT_EQ(TranslateText("Empty"), "Empty");
  EXPECT_EQ(TranslateText("OK"), "OK");  // the empty first entry decides
  EXPECT_EQ(TranslateText("Spaced"), "Spaced");
  EXPECT_EQ(TranslateText("Missing"), "Missing");
  const std::vector<std::string> lines = ReadLanguageFile((langs / "German.lang.txt").string());
  EXPECT_EQ(FindLanguageEntry("Empty", lines), "");
  EXPECT_EQ(FindLanguageEntry("INFO:Translated By", lines), "Anna, Ben");
  EXPECT_EQ(FindLanguageEntry("INFO:Translated By", {"{Send}A"}), "INFO:Translated By");
  EXPECT_EQ(FindLanguageEntry("Send", {}), "Send");
}

TEST_F(LanguageTest, NameWithoutLanguageSuffixLoadsWithEmptyName) {
  fs::path langs = Languages();
  Spit(langs / "LanguageCodes.csv", "1031,x_lang.txt\n");
  Spit(langs / "x_lang.txt", "{Send}X\n");
  Load();
  EXPECT_EQ(LoadedLanguageFile(), (langs / "x_lang.txt").string());
  EXPECT_EQ(CurrentLanguageName(), "");
  EXPECT_EQ(TranslateText("Send"), "X");
}

TEST_F(LanguageTest, GivenFileNameSkipsTheMapping) {
  fs::path langs = Languages();
  Spit(langs / "LanguageCodes.csv", "1031,German.lang.txt\n");
  Spit(langs / "German.lang.txt", "{Send}Senden\n");
  Spit(langs / "French.lang.txt", "{Send}Envoyer\n");
  Load(kGerman, "French.lang.txt");
  EXPECT_EQ(TranslateText("Send"), "Envoyer");
  Load(kGerman, "English.lang.txt");  // not on disk: nothing loaded, no fallback
  EXPECT_EQ(LoadedLanguageFile(), "");
  EXPECT_EQ(TranslateText("Send"), "Send");
}

TEST_F(LanguageTest, InstalledShareFolderWhenNoneBesideTheProgram) {
  fs::create_directories(dir_ / "bin");
  fs::create_directories(dir_ / "share/braceform/Languages");
  Spit(dir_ / "share/braceform/Languages/German.lang.txt", "{Send}Senden\n");
  LoadInterfaceLanguage((dir_ / "bin").string(), "German.lang.txt", 0);
  EXPECT_EQ(TranslateText("Send"), "Senden");
  fs::create_directories(dir_ / "bin/Languages");  // beside the program wins
  LoadInterfaceLanguage((dir_ / "bin").string(), "German.lang.txt", 0);
  EXPECT_EQ(LanguagesFolder(), (dir_ / "bin/Languages").string());
  EXPECT_EQ(LoadedLanguageFile(), "");
}

TEST_F(LanguageTest, UnreadableLanguageFileIsReportedAndLeavesEveryTextEnglish) {
  fs::path langs = Languages();
  Spit(langs / "German.lang.txt", "{Send}Senden\n");
  ::chmod((langs / "German.lang.txt").c_str(), 0);
  std::string problem = testing::Unprivileged([&]() -> std::string {
    try {
      Load(0, "German.lang.txt");
      return "no error";
    } catch (const FileError&) {
    }
    if (LoadedLanguageFile().empty()) return "the file should count as loaded";
    if (TranslateText("Send") != "Send") return "a translation without lines";
    return {};
  });
  EXPECT_EQ(problem, "");
}

TEST(LanguageName, UpToTheFirstSuffix) {
  EXPECT_EQ(LanguageNameOf("German.lang.txt"), "German");
  EXPECT_EQ(LanguageNameOf("A.lang.txt.lang.txt"), "A");
  EXPECT_EQ(LanguageNameOf("German.LANG.txt"), "");
}

}  // namespace
}  // namespace braceform
