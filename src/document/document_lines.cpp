#include "document/document_lines.h"

#include <cstring>

#include "memory/huge_pages.h"
#include "text/byte_search.h"

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
  bytes::BreakCounts c = bytes::CountBreaks(s, n);
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
  // One byte in gives at least one byte out, so the output has room for the rest of the
  // input wherever o stands: the copy may store whole blocks past a break or a TAB, and
  // what follows overwrites them.
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
  while (i < n) {
    const std::size_t k = bytes::CopyUntilAnyOf(s, i, n, o, '\r', '\n', tab);
    o += k;
    i += k;
    if (i < n) special();
  }
  if (!endsWithBreak) {
    *o++ = '\r';
    *o++ = '\n';
  }
  return d;
}

DocumentLines DocumentLines::FromText(std::string&& text) {
  const std::size_t n = text.size();
  return FromText(std::move(text), 0, n, false);
}

DocumentLines DocumentLines::FromText(std::string&& text, std::size_t begin, std::size_t end,
                                      bool tabsToSpaces, DocumentLines* replaced) {
  const std::size_t n = end - begin;
  if (n == 0) {
    if (replaced) DocumentLines().Swap(*replaced);
    return DocumentLines();
  }
  bytes::BreakCounts c = bytes::CountBreaks(text.data() + begin, n);
  const char last = text[end - 1];
  const bool endsWithBreak = last == '\r' || last == '\n';
  const std::size_t lines = c.cr + c.lf - c.crlf + (endsWithBreak ? 0 : 1);
  std::size_t size = n + (c.cr - c.crlf) + (c.lf - c.crlf) + (endsWithBreak ? 0 : 2);
  if (tabsToSpaces) size += c.tab;
  if (size > text.capacity()) {
    return FromText(std::string_view(text).substr(begin, n), tabsToSpaces, replaced);
  }

  DocumentLines d;
  d.starts_.resize(lines);  // the last allocation: nothing below can fail
  if (replaced) DocumentLines().Swap(*replaced);
  if (begin > 0) std::memmove(text.data(), text.data() + begin, n);
  text.resize(size);
  char* const buf = text.data();
  const char tab = tabsToSpaces ? '\t' : '\n';

  // From the back: the output position w of input position r is r plus what the bytes
  // before r grow by, so w >= r throughout and no unread byte is overwritten.
  std::size_t r = n, w = size, line = lines;
  if (!endsWithBreak) {
    buf[--w] = '\n';
    buf[--w] = '\r';
  }
  bool finalBreak = endsWithBreak;
  // The break or TAB at j, whose following bytes are in place: r becomes j (or the CR of
  // a CR LF pair) and w moves below its expansion.
  auto special = [&](std::size_t j) {
    if (buf[j] == '\t') {  // the whole run of indentation at once
      std::size_t k = j;
      while (k > 0 && buf[k - 1] == '\t') --k;
      w -= 2 * (j + 1 - k);
      std::memset(buf + w, ' ', 2 * (j + 1 - k));
      r = k;
      return;
    }
    if (!finalBreak) d.starts_[--line] = w;
    finalBreak = false;
    r = (buf[j] == '\n' && j > 0 && buf[j - 1] == '\r') ? j - 1 : j;
    buf[--w] = '\n';
    buf[--w] = '\r';
  };
  // Whole blocks while the gap w - r (what the bytes before r grow by) allows them.
  while (bytes::MoveBackUntilAnyOf(buf, r, w, '\r', '\n', tab)) special(r - 1);
  while (true) {
    if (w == r) {
      // Nothing before r grows: those bytes stay where they are, and only CR LF pairs
      // remain there, each starting the line after it (the final break, if still ahead,
      // lies beyond the lines left to find).
      std::size_t next = 1;
      for (const char* p = buf; next < line; ++next) {
        p = static_cast<const char*>(std::memchr(p, '\n', r - static_cast<std::size_t>(p - buf))) +
            1;
        d.starts_[next] = static_cast<std::size_t>(p - buf);
      }
      break;
    }
    std::size_t j = bytes::FindLastOf(buf, r, '\r', '\n', tab);
    std::size_t segment = j == r ? 0 : j + 1;
    std::size_t len = r - segment;
    w -= len;
    std::memmove(buf + w, buf + segment, len);
    if (j == r) break;
    special(j);
  }
  d.starts_[0] = 0;
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
