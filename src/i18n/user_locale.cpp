#include "i18n/user_locale.h"

#include <cstdlib>

namespace braceform {

namespace {

struct LocaleEntry {
  const char* language;
  const char* country;
  unsigned id;
};

// Windows identifiers of the locales we know. The first row of a language is its main
// country, taken for a bare language name.
constexpr LocaleEntry kLocales[] = {
    {"en", "US", 1033},  {"en", "GB", 2057},  {"en", "AU", 3081},  {"en", "CA", 4105},
    {"en", "NZ", 5129},  {"en", "IE", 6153},  {"en", "ZA", 7177},  {"en", "IN", 16393},
    {"de", "DE", 1031},  {"de", "CH", 2055},  {"de", "AT", 3079},  {"de", "LU", 4103},
    {"de", "LI", 5127},  {"fr", "FR", 1036},  {"fr", "BE", 2060},  {"fr", "CA", 3084},
    {"fr", "CH", 4108},  {"fr", "LU", 5132},  {"es", "ES", 3082},  {"es", "MX", 2058},
    {"es", "AR", 11274}, {"es", "CO", 9226},  {"es", "CL", 13322}, {"es", "PE", 10250},
    {"es", "VE", 8202},  {"es", "US", 21514}, {"tr", "TR", 1055},  {"sq", "AL", 1052},
    {"ar", "SA", 1025},  {"ar", "EG", 3073},  {"ar", "AE", 14337}, {"bg", "BG", 1026},
    {"zh", "CN", 2052},  {"zh", "TW", 1028},  {"zh", "HK", 3076},  {"zh", "SG", 4100},
    {"cs", "CZ", 1029},  {"nl", "NL", 1043},  {"nl", "BE", 2067},  {"fi", "FI", 1035},
    {"el", "GR", 1032},  {"he", "IL", 1037},  {"hu", "HU", 1038},  {"it", "IT", 1040},
    {"it", "CH", 2064},  {"ja", "JP", 1041},  {"ko", "KR", 1042},  {"fa", "IR", 1065},
    {"pl", "PL", 1045},  {"pt", "BR", 1046},  {"pt", "PT", 2070},  {"ro", "RO", 1048},
    {"ru", "RU", 1049},  {"sl", "SI", 1060},  {"sv", "SE", 1053},  {"sv", "FI", 2077},
    {"uk", "UA", 1058},  {"vi", "VN", 1066},  {"sk", "SK", 1051},  {"nb", "NO", 1044},
    {"no", "NO", 1044},  {"nn", "NO", 2068},  {"ca", "ES", 1027},  {"da", "DK", 1030},
    {"et", "EE", 1061},  {"lv", "LV", 1062},  {"lt", "LT", 1063},  {"hr", "HR", 1050},
    {"sr", "RS", 9242},  {"id", "ID", 1057},  {"th", "TH", 1054},  {"hi", "IN", 1081},
    {"ms", "MY", 1086},  {"is", "IS", 1039},  {"eu", "ES", 1069},  {"gl", "ES", 1110},
};

constexpr unsigned kEnglishUnitedStates = 1033;

const LocaleEntry* FindLocale(std::string_view posixLocale) {
  std::string_view base = posixLocale.substr(0, posixLocale.find_first_of(".@"));
  const std::size_t cut = base.find_first_of("_-");
  std::string_view language = base.substr(0, cut);
  std::string_view country = cut == std::string_view::npos ? "" : base.substr(cut + 1);
  if (language == "iw") language = "he";  // the old code some systems still use
  const LocaleEntry* main = nullptr;
  for (const LocaleEntry& e : kLocales) {
    if (language != e.language) continue;
    if (!main) main = &e;
    if (country == e.country) return &e;
  }
  return country.empty() ? main : nullptr;
}

std::string FirstSet(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* v = std::getenv(name);
    if (v && *v) return v;
  }
  return {};
}

}  // namespace

std::string UserInterfaceLocale() {
  std::string list = FirstSet({"LANGUAGE"});
  if (!list.empty()) {
    std::string first = list.substr(0, list.find(':'));
    if (!first.empty()) return first;
  }
  return FirstSet({"LC_ALL", "LC_MESSAGES", "LANG"});
}

unsigned WindowsLanguageId(std::string_view posixLocale) {
  const LocaleEntry* e = FindLocale(posixLocale);
  return e ? e->id : kEnglishUnitedStates;
}

std::string WindowsLocaleName(std::string_view posixLocale) {
  const LocaleEntry* e = FindLocale(posixLocale);
  if (!e) return "xx";
  return std::string(e->language) + "-" + e->country;
}

unsigned UserDefaultUILanguage() { return WindowsLanguageId(UserInterfaceLocale()); }

std::string UserLocaleName() { return WindowsLocaleName(FirstSet({"LC_ALL", "LANG"})); }

}  // namespace braceform
