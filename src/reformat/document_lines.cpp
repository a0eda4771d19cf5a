#include "reformat/document_lines.h"

#include <cstring>

#include "reformat/byte_scan.h"
#include "streaming/text_writer.h"  // AdviseHugePages

namespace braceform {

DocumentLines DocumentLines::FromText(std::string_view text) { return FromText(text, false); }

DocumentLines DocumentLines::FromText(std::string_view text, bool tabsToSpaces,
                                     DocumentLines* replaced) {
  DocumentLines d;
  const char* s = text.data();
  const std::size_t n = text.size();
  if (n == 0) {
    if (replaced) DocumentLines().Swap(*replaced);
    return d;
  }

  // Size everything exactly first, so a large document costs one allocation per member.
  scan::BreakCounts c = scan::CountBreaks(s, n);
  const char last = s[n - 1];
  const bool endsWithBreak = last == '\r' || last == '\n';
  std::size_t lines = c.cr + c.lf - c.crlf + (endsWithBreak ? 0 : 1);
  std::size_t size = n + (c.cr - c.crlf) + (c.lf - c.crlf) + (endsWithBreak ? 0 : 2);
  if (tabsToSpaces) size += c.tab;
  d.text_.reserve(size);  // not yet touched: costs address space only
  d.starts_.reserve(lines);
  if (replaced) DocumentLines().Swap(*replaced);
  AdviseHugePages(d.text_.data(), size);
  d.text_.resize(size);

  const char tab = tabsToSpaces ? '\t' : '\n';
  char* const out = d.text_.data();
  char* o = out;
  std::size_t i = 0;
  d.starts_.push_back(0);
  // One byte in gives at least one byte out, so while 16 bytes of input remain, 16 bytes
  // may be stored at o: a block is stored whole and the part behind a break or a TAB is
  // overwritten by what follows.
  auto special = [&]() {
    if (s[i] == '\t') {  // indentation comes in runs
      do {
        *o++ = ' ';
        *o++ = ' ';
      } while (++i < n && s[i] == '\t');
      return;
    }
    *o++ = '\r';
    *o++ = '\n';
    i += (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
    if (i < n) d.starts_.push_back(static_cast<std::size_t>(o - out));
  };
#ifdef __SSE2__
  const __m128i vcr = _mm_set1_epi8('\r'), vlf = _mm_set1_epi8('\n'), vtab = _mm_set1_epi8(tab);
  while (i + 16 <= n) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, vcr), _mm_cmpeq_epi8(v, vlf)),
                             _mm_cmpeq_epi8(v, vtab));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
    if (bits == 0) {
      o += 16;
      i += 16;
      continue;
    }
    unsigned k = static_cast<unsigned>(std::countr_zero(bits));
    o += k;
    i += k;
    special();
  }
#endif
  while (i < n) {
    std::size_t j = scan::FindFirstOf(s, n, i, '\r', '\n', tab);
    std::memcpy(o, s + i, j - i);
    o += j - i;
    i = j;
    if (i < n) special();
  }
  if (!endsWithBreak) {
    *o++ = '\r';
    *o++ = '\n';
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
