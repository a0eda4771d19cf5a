#include "i18n/user_locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace braceform {
namespace {

TEST(WindowsLocale, IdentifiersAndNames) {
  struct Case {
    const char* posix;
    unsigned id;
    const char* name;
  } cases[] = {
      {"de_DE.UTF-8", 1031, "de-DE"}, {"de_AT", 3079, "de-AT"}, {"de_CH.UTF-8@euro", 2055, "de-CH"},
      {"de", 1031, "de-DE"},          {"fr_CA", 3084, "fr-CA"}, {"fr", 1036, "fr-FR"},
      {"es_ES", 3082, "es-ES"},       {"es_MX", 2058, "es-MX"}, {"tr_TR.UTF-8", 1055, "tr-TR"},
      {"pt_BR", 1046, "pt-BR"},       {"pt_PT", 2070, "pt-PT"}, {"pt", 1046, "pt-BR"},
      {"zh_CN", 2052, "zh-CN"},       {"zh_TW", 1028, "zh-TW"}, {"en_GB", 2057, "en-GB"},
      {"iw_IL", 1037, "he-IL"},       {"C", 1033, "xx"},        {"POSIX", 1033, "xx"},
      {"C.UTF-8", 1033, "xx"},        {"", 1033, "xx"},         {"de_XX", 1033, "xx"},
      {"tlh_QO", 1033, "xx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsLanguageId(c.posix), c.id) << c.posix;
    EXPECT_EQ(WindowsLocaleName(c.posix), c.name) << c.posix;
  }
}

class LocaleEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : kNames) {
      const char* v = std::getenv(n);
      saved_.emplace_back(n, v ? std::optional<std::string>(v) : std::nullopt);
      ::unsetenv(n);
    }
  }
  void TearDown() override {
    for (auto& [n, v] : saved_) {
      if (v)
        ::setenv(n, v->c_str(), 1);
      else
        ::unsetenv(n);
    }
  }
  static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(LocaleEnvironment, InterfaceLanguageTakesTheVariablesInOrder) {
  ::setenv("LANG", "tr_TR.UTF-8", 1);
  EXPECT_EQ(UserDefaultUILanguage(), 1055u);
  ::setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
  EXPECT_EQ(UserDefaultUILanguage(), 1036u);
  ::setenv("LC_ALL", "es_MX.UTF-8", 1);
  EXPECT_EQ(UserDefaultUILanguage(), 2058u);
  ::setenv("LANGUAGE", "de_AT:fr", 1);
  EXPECT_EQ(UserDefaultUILanguage(), 3079u);
  ::setenv("LANGUAGE", "", 1);
  EXPECT_EQ(UserDefaultUILanguage(), 2058u);
}

TEST_F(LocaleEnvironment, LocaleNameFromTheFormattingLocale) {
  EXPECT_EQ(UserLocaleName(), "xx");
  ::setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(UserLocaleName(), "de-DE");
  ::setenv("LANGUAGE", "fr", 1);  // the interface language does not count here
  EXPECT_EQ(UserLocaleName(), "de-DE");
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(UserLocaleName(), "xx");
}

}  // namespace
}  // namespace braceform
