#pragma once
// Reads one JSON value from the scanner's tokens into a value tree. The nesting is
// followed with an explicit stack, so depth is bounded by memory, not by the call stack.
#include <cstddef>
#include <string_view>

#include "tree/json_value.h"
#include "tree/lex_scanner.h"

namespace braceform {

struct ParseResult {
  bool found = false;  // false: the text holds no value where one should start
  JSONValue value;
  std::size_t where = 0;  // when not found: offset of the token that cannot start a value
};

// `source` (WTF-8) must be followed by a NUL byte and outlive the tree; strings that
// needed decoding go to `arena`. Text after the first complete value is never scanned.
ParseResult ParseJSON(std::string_view source, bool checkDateTime, Arena& arena);

}  // namespace braceform
