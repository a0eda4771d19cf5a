#pragma once
// Helpers shared by the document-tree tests: UTF-8 in and out around the UTF-16 facade.
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "text/utf.h"
#include "tree/json_document.h"

namespace braceform::testing {

inline std::string Write(std::string_view json, bool ident, bool universalTime = false,
                         bool checkDate = true) {
  auto doc = ParseJSONDocument(text::UTF8ToUTF16(json), checkDate);
  return text::UTF16ToUTF8(doc->AsJSON(ident, universalTime));
}
inline std::string Compact(std::string_view json) { return Write(json, false); }
inline std::string Indented(std::string_view json) { return Write(json, true); }

// The message of the error that parsing and writing `json` raises, or "" when none.
inline std::string ErrorOf(std::string_view json) {
  try {
    Write(json, true);
  } catch (const JSONError& e) {
    return e.what();
  }
  return "";
}

// Joins lines with CR LF, no break after the last.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  bool first = true;
  for (std::string_view l : lines) {
    if (!first) out += "\r\n";
    out += l;
    first = false;
  }
  return out;
}

// Runs with the local zone one hour ahead of UTC, restoring TZ afterwards.
class FixedZone {
 public:
  FixedZone() {
    const char* old = std::getenv("TZ");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("TZ", "<+01>-1", 1);
    tzset();
  }
  ~FixedZone() {
    if (hadOld_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool hadOld_ = false;
  std::string old_;
};

}  // namespace braceform::testing
