#pragma once
// Every TAB as two spaces, as the pipeline's tab conversion writes it.
#include <string>

namespace braceform::testing_support {

inline std::string TabsAsTwoSpaces(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '\t') {
      out.append(2, ' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace braceform::testing_support
