#pragma once
// ISO 8601 date and time recognition, and the calendar arithmetic of date values.
// Date values are milliseconds since 1899-12-30 00:00 local time on a linear scale.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tree/json_value.h"

namespace braceform {

// The program's date recognition: the ISO 8601 check is its only one.
class JSONDateManager {
 public:
  static bool Check(std::string_view data, std::int64_t& value, DataType& typ);
  static void Initialize();  // compiles the pattern up front
};

// The ISO 8601 check: data is WTF-8; only ASCII text can be recognised.
bool ISO8601Check(std::string_view data, std::int64_t& value, DataType& typ);

constexpr std::int64_t kMsPerDay = 86400000;

// Days from 1899-12-30 to the given proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d);
void CivilFromDays(std::int64_t days, std::int64_t& y, unsigned& m, unsigned& d);

// Local time of a universal instant, and universal time of a local one, through the C
// library's time-zone rules (so TZ decides).
std::int64_t LocalFromUniversal(std::int64_t ms);
std::int64_t UniversalFromLocal(std::int64_t ms);

// Writes the value's layout (without quotes) into out, which must hold 32 bytes; answers
// the length. Universal time appends "Z" after moving the value to UTC.
std::size_t FormatDateValue(char* out, DataType kind, std::int64_t ms, bool universalTime);

}  // namespace braceform
