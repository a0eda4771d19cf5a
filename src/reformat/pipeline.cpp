#include "reformat/pipeline.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "memory/huge_pages.h"
#include "streaming/json_reformat.h"
#include "text/byte_search.h"
#include "text/lines.h"
#include "text/utf.h"
#include "tree/json_document.h"

namespace braceform {
namespace {

inline bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The engine's working copy: the text form with typographic double quotes (U+201C, U+201D:
// E2 80 9C, E2 80 9D) turned into '"', followed by the eight zero bytes the engine reads
// up to.
//
// Only the quotes that delimit strings are turned: inside a string opened by a plain quote
// they are text ("say “hi”"), and a plain quote there would end the string early and make
// the engine drop the rest of the document without a word. A string opened by a
// typographic quote ends at the next typographic or plain quote, as the engine will see it.
struct WorkingCopy {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

inline bool IsTypographicQuote(const char* s, std::size_t n, std::size_t j) {
  return j + 2 < n && s[j] == '\xE2' && s[j + 1] == '\x80' &&
         (s[j + 2] == '\x9C' || s[j + 2] == '\x9D');
}

// Position of the first typographic quote, or n.
std::size_t FindTypographicQuote(const char* s, std::size_t n) {
  for (std::size_t i = 0; i < n;) {
    const void* hit = std::memchr(s + i, 0xE2, n - i);
    if (!hit) return n;
    std::size_t j = static_cast<std::size_t>(static_cast<const char*>(hit) - s);
    if (IsTypographicQuote(s, n, j)) return j;
    i = j + 1;
  }
  return n;
}

// Writes the text with the string-delimiting typographic quotes turned into '"' to `out`,
// which may be `s` itself (the text only shrinks); returns the new length.
std::size_t TurnTypographicQuotes(const char* s, std::size_t n, char* out) {
  char* o = out;
  enum { kOutside, kInPlain, kInTypographic } state = kOutside;
  std::size_t i = 0;       // the next byte to read
  std::size_t copied = 0;  // the bytes from here up to i go out as they are
  // One move per replaced quote, not one per string: most of the text stays as it is.
  auto copyUpTo = [&](std::size_t end) {
    if (o != s + copied) std::memmove(o, s + copied, end - copied);
    o += end - copied;
  };
  auto replace = [&](std::size_t at) {  // the quote at `at` becomes '"'
    copyUpTo(at);
    *o++ = '"';
    i = copied = at + 3;
  };
  constexpr std::uint64_t kAll = ~std::uint64_t{0};
  while (i < n) {
    // Whole blocks without a byte that could start a typographic quote change nothing; only
    // the string state is carried over them, from their quotes. Where a backslash stands
    // outside a string (it escapes nothing there) or an escape crosses the block's end, the
    // block goes byte by byte.
    if (n - i >= 64) {
      const bytes::QuoteBits b = bytes::ClassifyQuotes64(s + i, '\xE2');
      std::uint64_t carry = 0;
      const std::uint64_t escaped = bytes::EscapedBytes(b.backslash, carry);
      const std::uint64_t quotes = b.quote & ~escaped;
      const std::uint64_t inside = bytes::PrefixParity(quotes) ^ (state == kOutside ? 0 : kAll);
      if (b.lead == 0 && carry == 0 && (b.backslash & ~escaped & ~inside) == 0) {
        if (quotes != 0) state = (inside >> 63) != 0 ? kInPlain : kOutside;
        i += 64;
        continue;
      }
    }
    // The whole block byte by byte before the next block is classified.
    const std::size_t limit = std::min(n, i + 64);
    while (i < limit) {
      const std::size_t j = bytes::FindFirstOf(s, limit, i, '"', '\\', '\xE2');
      if (j == limit) {
        i = limit;
        break;
      }
      i = j + 1;
      if (s[j] == '"') {
        state = state == kOutside ? kInPlain : kOutside;
      } else if (s[j] == '\\') {
        if (state == kOutside || i == n) continue;
        // An escaped character stays in the string; an escaped typographic quote in a
        // typographic string becomes an escaped plain one.
        if (state == kInTypographic && IsTypographicQuote(s, n, i)) {
          replace(i);
        } else {
          ++i;
        }
      } else if (IsTypographicQuote(s, n, j) && state != kInPlain) {
        replace(j);
        state = state == kOutside ? kInTypographic : kOutside;
      }
    }
  }
  copyUpTo(n);
  return static_cast<std::size_t>(o - out);
}

WorkingCopy BuildWorkingCopy(std::string_view text) {
  const char* s = text.data();
  const std::size_t n = text.size();
  WorkingCopy w;
  w.data = std::make_unique_for_overwrite<char[]>(n + kTextPadding);
  AdviseHugePages(w.data.get(), n + kTextPadding);
  if (FindTypographicQuote(s, n) == n) {  // the usual case: one copy
    std::memcpy(w.data.get(), s, n);
    w.size = n;
  } else {
    w.size = TurnTypographicQuotes(s, n, w.data.get());
  }
  std::memset(w.data.get() + w.size, 0, kTextPadding);
  return w;
}

// Whether some line of a text form starts, after bytes up to 0x20, with "//". Most
// documents have none, and looking only where "//" occurs is far cheaper than visiting
// every line.
bool HasCommentLine(std::string_view text) {
  const char* s = text.data();
  const std::size_t n = text.size();
  for (std::size_t j = bytes::FindDoubleSlash(s, n, 0); j < n;
       j = bytes::FindDoubleSlash(s, n, j + 1)) {
    std::size_t k = j;
    while (k > 0 && s[k - 1] != '\n' && IsTrimmed(s[k - 1])) --k;
    if (k == 0 || s[k - 1] == '\n') return true;
  }
  return false;
}

TextWriterJSONFormat StreamingStyle(bool human, bool unquoted) {
  if (unquoted) return human ? jsonUnquotedPropName : jsonUnquotedPropNameCompact;
  return human ? jsonHumanReadable : jsonCompact;
}

}  // namespace

std::string_view TrimUTF8(std::string_view text) { return text::TrimBlanks(text); }

void RemoveCommentLines(DocumentLines& lines, std::vector<std::size_t>* removed) {
  if (!HasCommentLine(lines.TextForm())) return;
  std::size_t index = 0;  // RemoveIf visits the lines in order
  lines.RemoveIf([&](std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsTrimmed(line[i])) ++i;
    const bool comment = line.size() - i >= 2 && line[i] == '/' && line[i + 1] == '/';
    if (comment && removed != nullptr) removed->push_back(index);
    ++index;
    return comment;
  });
}

std::string ErrorReportText(std::string_view message) {
  std::string text(message);
  // Bytes of a multi-byte character are all above '.', as is the character itself.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
  return text;
}

ReformatResult ReformatDocument(DocumentLines& lines, ReformatMode mode,
                                const ReformatOptions& options) {
  std::vector<std::size_t> removed;
  RemoveCommentLines(lines, &removed);
  const bool human = mode == ReformatMode::HumanReadable;

  ReformatResult outcome;
  // The engine leaves its text unchanged, so where it stopped is found in that text (only
  // then): the quote replacement changes neither lines nor characters, and the removed
  // comment lines are counted back in.
  auto locate = [&](const ReformatStop& stop, const char* text, std::size_t size) {
    if (stop.complete) return;
    const text::TextPosition at = text::PositionAt({text, size}, stop.offset);
    std::size_t line = at.line - 1;
    for (std::size_t r : removed) {
      if (r > line) break;
      ++line;
    }
    outcome = {false, line + 1, at.column};
  };

  std::string result;
  if (human && options.humanReadableEngine == HumanReadableEngine::DocumentTree) {
    // An error leaves `lines` as they are now: without their comment lines.
    const std::string& form = lines.TextForm();
    std::string text;
    if (FindTypographicQuote(form.data(), form.size()) == form.size()) {
      text = form;
    } else {
      text.resize(form.size());
      text.resize(TurnTypographicQuotes(form.data(), form.size(), text.data()));
    }
    result = ParseJSONDocumentUTF8(std::move(text))->AsJSONUTF8(true, false);
  } else if (!lines.Empty() && !options.keepDocumentOnFailure) {
    // The document's own buffer becomes the working copy: no second copy of it.
    std::string text = std::move(lines).TakeTextForm();
    lines = DocumentLines();
    std::size_t n = text.size();
    if (FindTypographicQuote(text.data(), n) != n) {
      n = TurnTypographicQuotes(text.data(), n, text.data());
    }
    text.resize(n);
    text.append(kTextPadding, '\0');
    ReformatStop stop;
    result =
        ReformatJSONBuffer(text.data(), n, StreamingStyle(human, options.unquotedNames), &stop);
    locate(stop, text.data(), n);
  } else if (!lines.Empty()) {  // the empty text gives the empty text
    WorkingCopy work = BuildWorkingCopy(lines.TextForm());
    ReformatStop stop;
    result = ReformatJSONBuffer(work.data.get(), work.size,
                                StreamingStyle(human, options.unquotedNames), &stop);
    locate(stop, work.data.get(), work.size);
  }
  // The engine passes bytes through unchecked, and may write a lone lead byte as a
  // separator; the document must stay valid UTF-8.
  text::SanitizeUTF8(result);

  // Trimming before the tab conversion gives the same text: a TAB at either end would
  // have become two spaces and been trimmed as well.
  std::string_view trimmed = TrimUTF8(result);
  const std::size_t begin = static_cast<std::size_t>(trimmed.data() - result.data());
  DocumentLines next = DocumentLines::FromText(std::move(result), begin, begin + trimmed.size(),
                                               human && options.convertTabsToSpaces, &lines);
  lines.Swap(next);
  return outcome;
}

}  // namespace braceform
