#include "dialogs/find_text.h"

#include <string>

#include "text/unicode.h"

namespace braceform {

namespace {

// One UTF-16 unit upper-cased on its own; surrogate halves and characters whose upper case
// is longer ("ß") stay as they are, so offsets never move.
inline char16_t UpperUnit(char16_t c) {
  if (c < 0x80) return text::FoldAscii(c);
  return QChar(c).toUpper().unicode();
}

}  // namespace

int FindForward(const QString& haystack, const QString& needle, int from, bool matchCase) {
  if (from < 0) from = 0;
  if (needle.isEmpty() || from > haystack.size()) return -1;
  if (matchCase) return static_cast<int>(haystack.indexOf(needle, from, Qt::CaseSensitive));

  // Compared in place: a 100 MiB document is not copied to search it.
  std::u16string upper(needle.size(), u'\0');
  for (qsizetype k = 0; k < needle.size(); ++k) upper[k] = UpperUnit(needle[k].unicode());
  const char16_t* text = reinterpret_cast<const char16_t*>(haystack.utf16());
  const qsizetype last = haystack.size() - needle.size();
  for (qsizetype i = from; i <= last; ++i) {
    if (UpperUnit(text[i]) != upper[0]) continue;
    qsizetype k = 1;
    while (k < needle.size() && UpperUnit(text[i + k]) == upper[k]) ++k;
    if (k == needle.size()) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace braceform
