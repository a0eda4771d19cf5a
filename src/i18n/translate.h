#pragma once
// The interface language: language files beside the program pair the program's English
// texts with translations, and TranslateText looks a text up. The state is set once at
// start-up, before any other thread exists, and only read afterwards, so lookups need no
// lock.
#include <string>
#include <string_view>
#include <vector>

#include "i18n/user_locale.h"

namespace braceform {

// "Languages" beside the executable when that folder exists (development builds, portable
// copies), else the installed share/braceform/Languages when that exists, else the first.
std::string LanguagesFolderFor(const std::string& exeFolder);

// A language identifier that no mapping line names: the built-in English.
inline constexpr unsigned kNoLanguageId = 0;

// Fills the language state. An empty `fileName` chooses the file that LanguageCodes.csv maps
// `uiLanguage` to; a non-empty one loads that file and skips the choice. Throws FileError
// when the chosen file exists but cannot be read (the state is then set, with no lines).
void LoadInterfaceLanguage(const std::string& exeFolder, const std::string& fileName = {},
                           unsigned uiLanguage = UserDefaultUILanguage());

const std::string& LanguagesFolder();
// The "*lang.txt" files of LanguagesFolder, as the file system lists them.
const std::vector<std::string>& LanguageFileList();
// The loaded file's name before ".lang.txt"; empty when none is loaded.
const std::string& CurrentLanguageName();
// The loaded file's path; empty when none is loaded.
const std::string& LoadedLanguageFile();

// The translation of an English text, or the text itself.
std::string TranslateText(std::string_view english);

// The entry for `key` in `lines`, even when empty; the key itself when there is none.
std::string FindLanguageEntry(std::string_view key, const std::vector<std::string>& lines);

// The lines of a language file: UTF-8, an optional byte-order mark, CR LF, LF or CR line
// ends. Throws FileError.
std::vector<std::string> ReadLanguageFile(const std::string& path);

// The part of a file name before the first ".lang.txt"; empty when it has none.
std::string LanguageNameOf(std::string_view fileName);

}  // namespace braceform
