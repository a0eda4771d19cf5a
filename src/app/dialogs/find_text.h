#pragma once
// The search behind the find dialog, kept apart from the widgets so it can be tested alone.
#include <QString>

namespace braceform {

// UTF-16 offset of the first occurrence of needle in haystack that starts at or after from,
// or -1 (also for an empty needle, which would otherwise "match" without selecting anything).
// Without matchCase both texts are upper-cased one UTF-16 unit at a time: every offset in the
// upper-cased text is the offset in the original, which a whole-string upper-casing
// ("ß" -> "SS") would break.
int FindForward(const QString& haystack, const QString& needle, int from, bool matchCase);

}  // namespace braceform
