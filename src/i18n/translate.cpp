#include "i18n/translate.h"

namespace braceform {

std::string TranslateText(std::string_view english) { return std::string(english); }

}  // namespace braceform
