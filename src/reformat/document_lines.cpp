#include "reformat/document_lines.h"

#include <cstring>

#include "reformat/byte_scan.h"

namespace braceform {

DocumentLines DocumentLines::FromText(std::string_view text) { return FromText(text, false); }

DocumentLines DocumentLines::FromText(std::string_view text, bool tabsToSpaces) {
  DocumentLines d;
  const char* s = text.data();
  const std::size_t n = text.size();
  if (n == 0) return d;

  // Size everything exactly first, so a large document costs one allocation per member.
  scan::BreakCounts c = scan::CountBreaks(s, n);
  const char last = s[n - 1];
  const bool endsWithBreak = last == '\r' || last == '\n';
  std::size_t lines = c.cr + c.lf - c.crlf + (endsWithBreak ? 0 : 1);
  std::size_t size = n + (c.cr - c.crlf) + (c.lf - c.crlf) + (endsWithBreak ? 0 : 2);
  if (tabsToSpaces) size += c.tab;
  d.text_.resize(size);
  d.starts_.reserve(lines);

  const char tab = tabsToSpaces ? '\t' : '\n';
  char* const out = d.text_.data();
  char* o = out;
  std::size_t i = 0;
  d.starts_.push_back(0);
  while (true) {
    std::size_t j = scan::FindFirstOf(s, n, i, '\r', '\n', tab);
    std::memcpy(o, s + i, j - i);
    o += j - i;
    if (j == n) {  // last line without a break
      *o++ = '\r';
      *o++ = '\n';
      break;
    }
    if (s[j] == '\t') {
      *o++ = ' ';
      *o++ = ' ';
      i = j + 1;
      continue;
    }
    *o++ = '\r';
    *o++ = '\n';
    i = (s[j] == '\r' && j + 1 < n && s[j + 1] == '\n') ? j + 2 : j + 1;
    if (i == n) break;
    d.starts_.push_back(static_cast<std::size_t>(o - out));
  }
  return d;
}

DocumentLines DocumentLines::FromText(std::string&& text) {
  const char* s = text.data();
  const std::size_t n = text.size();
  if (n == 0) return DocumentLines();
  // Reusable when every break is CR LF and the text ends with one.
  scan::BreakCounts c = scan::CountBreaks(s, n);
  if (c.cr != c.crlf || c.lf != c.crlf || s[n - 1] != '\n') {
    return FromText(std::string_view(text), false);
  }
  DocumentLines d;
  d.starts_.reserve(c.crlf);
  for (std::size_t i = 0; i < n;) {
    d.starts_.push_back(i);
    const void* lf = std::memchr(s + i, '\n', n - i);
    i = static_cast<std::size_t>(static_cast<const char*>(lf) - s) + 1;
  }
  d.text_ = std::move(text);
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
