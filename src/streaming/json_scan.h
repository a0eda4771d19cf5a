#pragma once
// The reformatter's readers of member names and scalars. They work on a zero-terminated
// working copy; a position of nullptr means "no further text to read", a terminator of 0
// means "none".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace braceform::streaming {

enum class ScalarKind : std::uint8_t { Failure, Null, True, False, Number };

struct ScalarValue {
  ScalarKind kind = ScalarKind::Failure;
  const char* start = nullptr;         // the bytes to copy for true, false and numbers
  std::size_t length = 0;              // 0 for a number that runs up to the end of the text
  char terminator = 0;                 // "," ":" "]" "}" or 0 for none
  const char* terminatorAt = nullptr;  // where the terminator stands
  char* next = nullptr;                // after the terminator, or nullptr
};

struct MemberName {
  bool ok = false;
  const char* name = nullptr;  // in the text, or decoded into the caller's scratch
  std::size_t length = 0;
  char* next = nullptr;  // after the ":" (or "="), or nullptr
};

ScalarValue ScanScalarValue(char* json);
// A quoted name with escapes is decoded into `scratch`; the text is left as it is.
MemberName ScanMemberName(char* json, std::string& scratch);
bool IsBareMemberName(std::string_view name);

}  // namespace braceform::streaming
