#pragma once
// The one-pass streaming reformatter over UTF-8 bytes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace braceform {

enum TextWriterJSONFormat : std::uint8_t {
  jsonCompact = 0,
  jsonHumanReadable = 1,
  jsonUnquotedPropName = 2,
  jsonUnquotedPropNameCompact = 3,
};

// The zero bytes the walk needs after a text it works on in place: it reads in blocks up to
// them and stops at the first zero byte.
inline constexpr std::size_t kTextPadding = 8;

// Where the walk stopped reading. Complete: it read one whole value and nothing but blanks
// (0x01 to 0x20) follows it. Otherwise `offset` is the first byte whose text did not reach
// the output: where the walk could go no further (the text's end when the value was cut
// off), or what follows the first value.
struct ReformatStop {
  bool complete = true;
  std::size_t offset = 0;
};

// Never fails on malformed input: returns what it could write, and says in `stop` (when
// given) where it stopped. The empty text gives the empty text. Only running out of memory
// throws (std::bad_alloc).
std::string ReformatJSONText(std::string_view text, TextWriterJSONFormat style,
                             ReformatStop* stop = nullptr);

// Same on buffer[0..length) followed by kTextPadding zero bytes (the text ends at its first
// zero byte), read in place and left unchanged, so a caller can still find what stands at
// `stop`. A null buffer gives the empty text.
std::string ReformatJSONBuffer(char* buffer, std::size_t length, TextWriterJSONFormat style,
                               ReformatStop* stop = nullptr);

// The same output handed to sink in blocks as it is made, never held whole. What the sink
// throws ends the walk and reaches the caller.
void ReformatJSONBufferTo(char* buffer, std::size_t length, TextWriterJSONFormat style,
                          const std::function<void(const char*, std::size_t)>& sink,
                          ReformatStop* stop = nullptr);

}  // namespace braceform
