#include "reformat/document_lines.h"

namespace braceform {
namespace {

// Position of the next CR or LF at or after i, or n.
inline std::size_t NextBreak(const char* s, std::size_t n, std::size_t i) {
  while (i < n && s[i] != '\r' && s[i] != '\n') ++i;
  return i;
}

}  // namespace

DocumentLines DocumentLines::FromText(std::string_view text) {
  DocumentLines d;
  const char* s = text.data();
  std::size_t n = text.size(), i = 0;
  d.text_.reserve(n + 2);
  while (i < n) {
    std::size_t start = i;
    i = NextBreak(s, n, i);
    d.starts_.push_back(d.text_.size());
    d.text_.append(s + start, i - start);
    d.text_.append("\r\n", 2);
    if (i < n) {
      if (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n') i += 2; else ++i;
    }
  }
  return d;
}

DocumentLines DocumentLines::FromText(std::string&& text) {
  // Reusable when every break is CR LF and the text ends with one.
  const char* s = text.data();
  std::size_t n = text.size();
  bool reusable = n == 0 || (n >= 2 && s[n - 2] == '\r' && s[n - 1] == '\n');
  std::vector<std::size_t> starts;
  if (reusable) {
    std::size_t i = 0;
    while (i < n) {
      starts.push_back(i);
      std::size_t j = NextBreak(s, n, i);
      if (j >= n || s[j] != '\r' || j + 1 >= n || s[j + 1] != '\n') { reusable = false; break; }
      i = j + 2;
    }
  }
  if (!reusable) return FromText(std::string_view(text));
  DocumentLines d;
  d.text_ = std::move(text);
  d.starts_ = std::move(starts);
  return d;
}

std::string DocumentLines::TakeTextForm() && {
  starts_.clear();
  return std::move(text_);
}

void DocumentLines::Clear() {
  text_.clear();
  starts_.clear();
}

void DocumentLines::Append(std::string_view line) {
  starts_.push_back(text_.size());
  text_.append(line);
  text_.append("\r\n", 2);
}

}  // namespace braceform
