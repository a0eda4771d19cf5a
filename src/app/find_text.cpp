#include "find_text.h"

namespace braceform {

namespace {

QString UpperPerUnit(QStringView s) {
  QString out(s.size(), Qt::Uninitialized);
  QChar* dst = out.data();
  for (qsizetype i = 0; i < s.size(); ++i) dst[i] = s[i].toUpper();
  return out;
}

}  // namespace

int FindForward(const QString& haystack, const QString& needle, int from, bool matchCase) {
  if (from < 0) from = 0;
  if (needle.isEmpty() || from > haystack.size()) return -1;
  if (matchCase) return static_cast<int>(haystack.indexOf(needle, from, Qt::CaseSensitive));
  QString area = UpperPerUnit(QStringView(haystack).mid(from));
  qsizetype p = area.indexOf(UpperPerUnit(needle), 0, Qt::CaseSensitive);
  return p < 0 ? -1 : static_cast<int>(from + p);
}

}  // namespace braceform
