#include "tree/iso8601.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace braceform {

namespace {

constexpr char kPattern[] =
    R"((?=\d{4})((\d{4})-(\d{2})-(\d{2}))?(T(\d{2})\:(\d{2})\:(\d{2})(Z)?(\.(\d{1,3})(Z)?)?)"
    R"(([+-](\d{2})\:(\d{2}))?)?|(\d{2})\:(\d{2})\:(\d{2})(Z)?(\.(\d{1,3}))?([+-](\d{2})\:(\d{2}))?)";
constexpr int kGroups = 24;
// 1899-12-30 to 1970-01-01.
constexpr std::int64_t kUnixEpochDays = 25569;

// Compiled and JIT-ed once; pcre2 code is safe to share between threads for matching.
const pcre2_code* Pattern() {
  static const pcre2_code* code = [] {
    int err = 0;
    PCRE2_SIZE errOffset = 0;
    pcre2_code* c = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED, 0,
                                  &err, &errOffset, nullptr);
    if (c == nullptr) throw std::logic_error("The date pattern does not compile");
    pcre2_jit_compile(c, PCRE2_JIT_COMPLETE);  // falls back to the interpreter if JIT is absent
    return c;
  }();
  return code;
}

struct MatchData {
  pcre2_match_data* data = pcre2_match_data_create(kGroups + 1, nullptr);
  ~MatchData() { pcre2_match_data_free(data); }
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

unsigned Number(std::string_view s) {
  unsigned v = 0;
  for (char c : s) v = v * 10 + static_cast<unsigned>(c - '0');
  return v;
}

bool IsLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(std::int64_t y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

void Put2(char*& o, unsigned v) {
  *o++ = static_cast<char>('0' + v / 10 % 10);
  *o++ = static_cast<char>('0' + v % 10);
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kUnixEpochDays;
}

void CivilFromDays(std::int64_t days, std::int64_t& y, unsigned& m, unsigned& d) {
  const std::int64_t z = days - kUnixEpochDays + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

std::int64_t LocalFromUniversal(std::int64_t ms) {
  const std::int64_t unixMs = ms - kUnixEpochDays * kMsPerDay;
  const std::int64_t secs = FloorDiv(unixMs, 1000);
  const std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return ms;
  const std::int64_t days =
      DaysFromCivil(static_cast<std::int64_t>(tm.tm_year) + 1900,
                    static_cast<unsigned>(tm.tm_mon + 1), static_cast<unsigned>(tm.tm_mday));
  return days * kMsPerDay + (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) * 1000LL +
         (unixMs - secs * 1000);
}

std::int64_t UniversalFromLocal(std::int64_t ms) {
  const std::int64_t days = FloorDiv(ms, kMsPerDay);
  const std::int64_t tod = ms - days * kMsPerDay;
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  std::tm tm{};
  tm.tm_year = static_cast<int>(y - 1900);
  tm.tm_mon = static_cast<int>(m) - 1;
  tm.tm_mday = static_cast<int>(d);
  tm.tm_hour = static_cast<int>(tod / 3600000);
  tm.tm_min = static_cast<int>(tod / 60000 % 60);
  tm.tm_sec = static_cast<int>(tod / 1000 % 60);
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  // The local offset at that moment, the difference between the local fields and the
  // instant mktime found for them.
  std::tm back{};
  if (localtime_r(&t, &back) == nullptr) return ms;
  const std::int64_t localSecs =
      (DaysFromCivil(static_cast<std::int64_t>(back.tm_year) + 1900,
                     static_cast<unsigned>(back.tm_mon + 1), static_cast<unsigned>(back.tm_mday)) -
       kUnixEpochDays) *
          86400 +
      back.tm_hour * 3600 + back.tm_min * 60 + back.tm_sec;
  const std::int64_t offset = localSecs - static_cast<std::int64_t>(t);
  return ms - offset * 1000;
}

std::size_t FormatDateValue(char* out, DataType kind, std::int64_t ms, bool universalTime) {
  if (universalTime) ms = UniversalFromLocal(ms);
  const std::int64_t days = FloorDiv(ms, kMsPerDay);
  const std::int64_t tod = ms - days * kMsPerDay;
  char* o = out;
  if (kind == dtDateTime || kind == dtDate) {
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    o += std::snprintf(o, 8, "%04lld", static_cast<long long>(y));
    *o++ = '-';
    Put2(o, m);
    *o++ = '-';
    Put2(o, d);
    if (kind == dtDateTime) *o++ = 'T';
  }
  if (kind == dtDateTime || kind == dtTime) {
    Put2(o, static_cast<unsigned>(tod / 3600000));
    *o++ = ':';
    Put2(o, static_cast<unsigned>(tod / 60000 % 60));
    *o++ = ':';
    Put2(o, static_cast<unsigned>(tod / 1000 % 60));
    *o++ = '.';
    const unsigned frac = static_cast<unsigned>(tod % 1000);
    *o++ = static_cast<char>('0' + frac / 100);
    Put2(o, frac % 100);
  }
  if (universalTime) *o++ = 'Z';
  return static_cast<std::size_t>(o - out);
}

bool ISO8601Check(std::string_view data, std::int64_t& value, DataType& typ) {
  // Whatever the pattern matches starts with a digit and ends with a digit or "Z", and the
  // match must be the whole text but for blanks: test that much before running it.
  std::size_t first = 0, last = data.size();
  while (first < last && IsBlank(data[first])) ++first;
  while (last > first && IsBlank(data[last - 1])) --last;
  if (last - first < 5 || data[first] < '0' || data[first] > '9') return false;
  const char end = data[last - 1];
  if (end != 'Z' && (end < '0' || end > '9')) return false;
  for (std::size_t i = first; i < last; ++i)
    if (static_cast<unsigned char>(data[i]) >= 0x80) return false;

  thread_local MatchData match;
  const int rc = pcre2_match(Pattern(), reinterpret_cast<PCRE2_SPTR>(data.data()), data.size(), 0,
                             PCRE2_NOTEMPTY, match.data, nullptr);
  if (rc < 0) return false;
  const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(match.data);
  // The leftmost non-empty match covering all but the blanks is necessarily the only one.
  if (ov[0] != first || ov[1] != last) return false;
  auto group = [&](int i) -> std::string_view {
    if (i >= rc || ov[2 * i] == PCRE2_UNSET) return {};
    return data.substr(ov[2 * i], ov[2 * i + 1] - ov[2 * i]);
  };

  bool useDate = false, useTime = false;
  std::int64_t v = 0;
  auto readTime = [&](int h) {
    const unsigned hour = Number(group(h)), minute = Number(group(h + 1)),
                   second = Number(group(h + 2));
    if (hour > 23 || minute > 59 || second > 59) return false;
    v += ((hour * 60 + minute) * 60 + second) * 1000LL;
    return true;
  };
  for (int off = 1; off <= kGroups; ++off) {
    const std::string_view t = group(off);
    if (t.empty()) continue;
    if (t[0] != '.' && t.size() == 4) {
      const unsigned y = Number(t), m = Number(group(off + 1)), d = Number(group(off + 2));
      off += 2;
      if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
      v = DaysFromCivil(y, m, d) * kMsPerDay;
      useDate = true;
    } else if (t[0] == 'T') {
      useTime = true;
      if (!readTime(off + 1)) return false;
      off += 3;
    } else if (t[0] >= '0' && t[0] <= '9' && t.size() == 2) {
      useTime = true;
      if (!readTime(off)) return false;
      off += 2;
    } else if (t[0] == '.') {
      if (useTime) {
        const std::string_view f = group(off + 1);
        unsigned msec = Number(f);
        for (std::size_t i = f.size(); i < 3; ++i) msec *= 10;
        v += msec;
        off += 1;
      }
    } else if (t[0] == '+' || t[0] == '-') {
      if (useTime) {
        const std::int64_t shift =
            (Number(group(off + 1)) * 60LL + Number(group(off + 2))) * 60000LL;
        off += 2;
        v += t[0] == '+' ? -shift : shift;
        v = LocalFromUniversal(v);
      }
    } else if (t[0] == 'Z') {
      if (useTime) v = LocalFromUniversal(v);
    }
  }
  if (!useDate && !useTime) return false;
  value = v;
  typ = useDate && useTime ? dtDateTime : useDate ? dtDate : dtTime;
  return true;
}

void JSONDateManager::Initialize() { Pattern(); }

bool JSONDateManager::Check(std::string_view data, std::int64_t& value, DataType& typ) {
  return ISO8601Check(data, value, typ);
}

}  // namespace braceform
