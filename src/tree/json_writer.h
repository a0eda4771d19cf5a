#pragma once
// Writes a value tree back as JSON text: the indented layout (two spaces per level, CR LF,
// scalar array elements at the start of their lines) or the compact one.
#include <cstddef>
#include <string>

#include "tree/json_value.h"

namespace braceform {

class JSONWriter {
 public:
  // utf8: lone surrogates are written as U+FFFD (UTF-8 output); otherwise they are kept
  // as WTF-8 so the UTF-16 form can be rebuilt exactly.
  JSONWriter(bool useIdent, bool useUniversalTime, bool utf8 = true)
      : ident_(useIdent), universalTime_(useUniversalTime), utf8_(utf8) {}

  // The whole text of `root`. Walks without recursion; the size is worked out first so
  // the text is built in one allocation, and a text too large for memory is refused
  // with a JSONError before anything is allocated.
  std::string Write(const JSONValue& root) const;

  // Number text of a float: 15 significant digits, "." separator, no "+" in exponents.
  static std::size_t FormatFloat(char* out, double value);

 private:
  template <class Sink>
  void Walk(const JSONValue& root, Sink& out) const;
  template <class Sink>
  void Scalar(const JSONValue& v, Sink& out) const;

  bool ident_;
  bool universalTime_;
  bool utf8_;
};

}  // namespace braceform
