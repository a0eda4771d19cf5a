#include "tree/iso8601.h"

#include <gtest/gtest.h>

#include <string>

#include "tree_test_util.h"

namespace braceform {
namespace {

using testing::FixedZone;

struct Case {
  std::string input;  // the string value
  std::string written;
};

std::string WrittenString(const std::string& s, bool universalTime = false, bool checkDate = true) {
  const std::string out = testing::Write("[\"" + s + "\"]", false, universalTime, checkDate);
  return out.substr(2, out.size() - 4);
}

TEST(ISO8601, RecognisedAndWrittenBackOneHourAheadOfUTC) {
  FixedZone zone;
  const Case cases[] = {
      {"2024-02-29", "2024-02-29"},
      {"2024-02-30", "2024-02-30"},
      {"2023-02-29", "2023-02-29"},
      {"2000-02-29", "2000-02-29"},
      {"1900-02-29", "1900-02-29"},
      {"0000-01-01", "0000-01-01"},
      {"9999-12-31", "9999-12-31"},
      {"2024-02-29T10:20:30", "2024-02-29T10:20:30.000"},
      {"2024-02-29T10:20:30.5", "2024-02-29T10:20:30.500"},
      {"2024-02-29T10:20:30Z", "2024-02-29T11:20:30.000"},
      {"2024-02-29T10:20:30.25Z", "2024-02-29T11:20:30.250"},
      {"2024-02-29T10:20:30+02:00", "2024-02-29T09:20:30.000"},
      {"2024-02-29T10:20:30-05:30", "2024-02-29T16:50:30.000"},
      {"2024-02-29T23:59:59Z", "2024-03-01T00:59:59.000"},
      {"2024-02-29T10:20:30.123+02:00", "2024-02-29T10:20:30.123+02:00"},  // 29: not offered
      {"2024-13-01T10:00:00", "2024-13-01T10:00:00"},
      {"2024-02-29T24:00:00", "2024-02-29T24:00:00"},
      {"10:20:30", "10:20:30.000"},
      {"24:00:00", "24:00:00"},
      {"23:60:00", "23:60:00"},
      {"12:00:00.1", "12:00:00.100"},
      {"12:00:00.12", "12:00:00.120"},
      {"12:00:00.05", "12:00:00.050"},
      {"23:30:00Z", "00:30:00.000"},
      {"10:00:00+02:00", "09:00:00.000"},
      {" 2024-02-29 ", "2024-02-29"},
      {"\\t2024-02-29\\n", "2024-02-29"},
      {"2024-02-29x", "2024-02-29x"},
      {"x2024-02-29", "x2024-02-29"},
      {"2024-2-29", "2024-2-29"},
      {"10:20", "10:20"},
      {"2024-02-29t10:20:30", "2024-02-29t10:20:30"},
      {"2024-02-29 10:20:30", "2024-02-29 10:20:30"},
      {"12:00:00.1234", "12:00:00.1234"},
      {"10:20:30 10:20:30", "10:20:30 10:20:30"},
      {"2024-02-29\xC2\xA0", "2024-02-29\xC2\xA0"},  // U+00A0 is not trimmed
      // The length is checked before anything else: 25 characters are examined, 26 not.
      {"       2024-02-29        ", "2024-02-29"},
      {"        2024-02-29        ", "        2024-02-29        "},
  };
  for (const auto& c : cases) EXPECT_EQ(WrittenString(c.input), c.written) << c.input;
}

TEST(ISO8601, UniversalTimeWritingAndCheckingOff) {
  FixedZone zone;
  const Case cases[] = {
      {"2024-02-29T10:20:30", "2024-02-29T09:20:30.000Z"},
      {"2024-02-29", "2024-02-28Z"},
      {"00:30:00", "23:30:00.000Z"},
  };
  for (const auto& c : cases) EXPECT_EQ(WrittenString(c.input, true), c.written) << c.input;
  for (const char* s : {"2024-02-29", "10:20:30", "2024-02-29T10:20:30Z"})
    EXPECT_EQ(WrittenString(s, false, false), s);
}

TEST(ISO8601, CalendarRoundTrip) {
  for (std::int64_t days : {-693593LL, -1LL, 0LL, 1LL, 59LL, 60LL, 61LL, 45351LL, 2958465LL}) {
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    EXPECT_EQ(DaysFromCivil(y, m, d), days);
  }
  EXPECT_EQ(DaysFromCivil(1899, 12, 30), 0);
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 25569);
  EXPECT_EQ(DaysFromCivil(2024, 2, 29), 45351);
}

}  // namespace
}  // namespace braceform
