#pragma once
// The user's language and locale in the terms the program was made for: the 16-bit Windows
// language identifier (LANGID) and a locale name such as de-DE, read from the POSIX
// locale variables.
#include <string>
#include <string_view>

namespace braceform {

// The user's interface locale: the first entry of LANGUAGE, else LC_ALL, LC_MESSAGES,
// LANG, the first one set and not empty; empty when none is.
std::string UserInterfaceLocale();

// The Windows language identifier of a POSIX locale name (de_DE.UTF-8@euro -> 1031); a
// language without a country maps to its main country (de -> 1031). English (United
// States), 1033, for C, POSIX, nothing, or a language we do not know, as Windows falls back.
unsigned WindowsLanguageId(std::string_view posixLocale);

// The Windows locale name of a POSIX locale name (de_DE -> de-DE, de -> de-DE), "xx" for C,
// POSIX, nothing, or a locale we do not know.
std::string WindowsLocaleName(std::string_view posixLocale);

// GetUserDefaultUILanguage's stand-in: the identifier of UserInterfaceLocale().
unsigned UserDefaultUILanguage();

// The user's default (formatting) locale, LC_ALL else LANG, as WindowsLocaleName gives it.
std::string UserLocaleName();

}  // namespace braceform
