#include "i18n/translate.h"

#include <filesystem>
#include <system_error>

#include "document/document_file.h"
#include "text/lines.h"
#include "text/unicode.h"
#include "text/utf.h"

namespace braceform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLanguageSuffix = ".lang.txt";

struct LanguageState {
  std::string languagesFolder;
  std::vector<std::string> languageFileList;
  std::string currentLanguageName;
  std::string loadedLanguageFile;
  std::vector<std::string> translationLines;
};

LanguageState& State() {
  static LanguageState state;
  return state;
}

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (text::FoldAscii(a[i]) != text::FoldAscii(b[i])) return false;
  }
  return true;
}

// The desktop's file search matches "*lang.txt" without regard to case.
bool MatchesLanguagePattern(std::string_view name) {
  constexpr std::string_view tail = "lang.txt";
  return name.size() >= tail.size() &&
         EqualsIgnoringAsciiCase(name.substr(name.size() - tail.size()), tail);
}

// The text after the first "}" of the line that starts with "{key}"; null when none does.
const std::string* FindEntryLine(std::string_view key, const std::vector<std::string>& lines,
                                 std::size_t& valueStart) {
  for (const std::string& line : lines) {
    if (line.size() < key.size() + 2 || line[0] != '{' || line[key.size() + 1] != '}') continue;
    if (std::string_view(line).substr(1, key.size()) != key) continue;
    valueStart = key.size() + 2;
    return &line;
  }
  return nullptr;
}

std::string MappedLanguageFile(const std::string& folder, unsigned uiLanguage) {
  std::string bytes;
  try {
    bytes = ReadFileBytes(folder + "/LanguageCodes.csv");
  } catch (const FileError&) {
    return {};
  }
  const std::string wanted = std::to_string(uiLanguage);
  for (const std::string& line : text::SplitLines(DecodeMarkedOrAnsi(std::move(bytes)))) {
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) continue;
    if (text::TrimBlanks(std::string_view(line).substr(0, comma)) != wanted) continue;
    return std::string(text::TrimBlanks(std::string_view(line).substr(comma + 1)));
  }
  return {};
}

}  // namespace

std::string LanguagesFolderFor(const std::string& exeFolder) {
  const std::string beside = exeFolder + "/Languages";
  if (IsDirectory(beside)) return beside;
  const std::string installed = exeFolder + "/../share/braceform/Languages";
  if (IsDirectory(installed)) return installed;
  return beside;
}

void LoadInterfaceLanguage(const std::string& exeFolder, const std::string& fileName,
                           unsigned uiLanguage) {
  LanguageState& state = State();
  state = LanguageState{};
  state.languagesFolder = LanguagesFolderFor(exeFolder);
  if (!IsDirectory(state.languagesFolder)) return;

  std::error_code ec;
  for (fs::directory_iterator it(state.languagesFolder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (MatchesLanguagePattern(name)) state.languageFileList.push_back(std::move(name));
  }

  std::string chosen(text::TrimBlanks(fileName));
  if (chosen.empty() && IsFile(state.languagesFolder + "/LanguageCodes.csv")) {
    const std::string mapped = MappedLanguageFile(state.languagesFolder, uiLanguage);
    for (const std::string& onDisk : state.languageFileList) {
      if (!mapped.empty() && EqualsIgnoringAsciiCase(onDisk, mapped)) {
        chosen = onDisk;
        break;
      }
    }
  }
  if (chosen.empty()) return;
  const std::string path = state.languagesFolder + "/" + chosen;
  if (!IsFile(path)) return;
  state.currentLanguageName = LanguageNameOf(chosen);
  state.loadedLanguageFile = path;
  state.translationLines = ReadLanguageFile(path);
}

const std::string& LanguagesFolder() { return State().languagesFolder; }
const std::vector<std::string>& LanguageFileList() { return State().languageFileList; }
const std::string& CurrentLanguageName() { return State().currentLanguageName; }
const std::string& LoadedLanguageFile() { return State().loadedLanguageFile; }

std::string TranslateText(std::string_view english) {
  const LanguageState& state = State();
  if (state.loadedLanguageFile.empty()) return std::string(english);
  std::size_t start = 0;
  const std::string* line = FindEntryLine(english, state.translationLines, start);
  if (!line || line->size() == start) return std::string(english);
  return line->substr(start);
}

std::string FindLanguageEntry(std::string_view key, const std::vector<std::string>& lines) {
  std::size_t start = 0;
  const std::string* line = FindEntryLine(key, lines, start);
  return line ? line->substr(start) : std::string(key);
}

std::vector<std::string> ReadLanguageFile(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  text::SanitizeUTF8(bytes);
  return text::SplitLines(bytes);
}

std::string LanguageNameOf(std::string_view fileName) {
  const std::size_t at = fileName.find(kLanguageSuffix);
  return at == std::string_view::npos ? std::string() : std::string(fileName.substr(0, at));
}

}  // namespace braceform
