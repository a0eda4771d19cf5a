#pragma once
// Looks up the translation of one of the program's English texts. Until language files are
// loaded every text stands for itself, so callers can already route their texts through here.
#include <string>
#include <string_view>

namespace braceform {

// The English text when there is no translation for it.
std::string TranslateText(std::string_view english);

}  // namespace braceform
