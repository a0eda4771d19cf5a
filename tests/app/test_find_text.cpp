// Window test (shared main with a QApplication); needs no QApplication itself.
#include <gtest/gtest.h>

#include "dialogs/find_text.h"

namespace braceform {
namespace {

struct FindCase {
  const char* name;
  const char16_t* haystack;
  const char16_t* needle;
  int from;
  bool matchCase;
  int expected;
};

class FindForwardTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindForwardTest, FindsFirstMatchAtOrAfterFrom) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindForward(QString::fromUtf16(c.haystack), QString::fromUtf16(c.needle), c.from,
                        c.matchCase),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindForwardTest,
    ::testing::Values(
        FindCase{"IgnoresCaseByDefault", u"xx ABC abc", u"abc", 0, false, 3},
        FindCase{"MatchCaseSkipsOtherCase", u"xx ABC abc", u"abc", 0, true, 7},
        FindCase{"MatchCaseNoMatch", u"xx ABC", u"abc", 0, true, -1},
        FindCase{"StartsAtFrom", u"xx ABC abc", u"abc", 4, false, 7},
        FindCase{"MatchExactlyAtFrom", u"abcabc", u"abc", 3, true, 3},
        FindCase{"NonAsciiCase", u"x \u00e4\u00f6\u00dc", u"\u00c4\u00d6\u00fc", 0, false, 2},
        // Upper-casing must keep every offset: "ß" stays one unit, so the match after it is
        // found where it is, not one further on.
        FindCase{"SharpSBeforeMatch", u"stra\u00dfe ABC", u"abc", 0, false, 7},
        FindCase{"SharpSIsNotSS", u"Stra\u00dfe", u"SS", 0, false, -1},
        FindCase{"SharpSMatchesItself", u"STRASSE stra\u00dfe", u"\u00df", 0, false, 12},
        FindCase{"SurrogatePairBeforeMatch", u"a\U0001F600b", u"B", 0, false, 3},
        FindCase{"FromAtEndFindsNothing", u"abc", u"c", 3, false, -1},
        FindCase{"FromBeforeLastChar", u"abc", u"C", 2, false, 2},
        FindCase{"FromPastEnd", u"abc", u"a", 9, false, -1},
        FindCase{"NegativeFromIsStart", u"abc", u"A", -5, false, 0},
        FindCase{"EmptyNeedleFindsNothing", u"abc", u"", 0, false, -1},
        FindCase{"NeedleLongerThanText", u"ab", u"abc", 0, false, -1},
        FindCase{"CrLfCountsAsTwo", u"a\r\nb", u"B", 0, false, 3}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace braceform
