#pragma once
// Writes a value tree back as JSON text: the indented layout (two spaces per level, CR LF,
// scalar array elements at the start of their lines) or the compact one.
#include <cstddef>
#include <string>

#include "tree/json_value.h"

namespace braceform {

class JSONWriter {
 public:
  // utf8: Write gives UTF-8, lone surrogates becoming U+FFFD; otherwise it keeps them as
  // WTF-8. WriteUTF16 always keeps them.
  JSONWriter(bool useIdent, bool useUniversalTime, bool utf8 = true)
      : ident_(useIdent), universalTime_(useUniversalTime), utf8_(utf8) {}

  // The whole text of `root`. Walks without recursion; the size is worked out first so
  // the text is built in one allocation, and a text too large for memory is refused
  // with a JSONError before anything is allocated.
  std::string Write(const JSONValue& root) const;
  // The same text as UTF-16; surrogates come back as the code units they were.
  std::u16string WriteUTF16(const JSONValue& root) const;

  // Number text of a float: 15 significant digits, "." separator, no "+" in exponents.
  static std::size_t FormatFloat(char* out, double value);

 private:
  template <class Text>
  Text WriteAs(const JSONValue& root) const;
  template <class Sink>
  void Walk(const JSONValue& root, Sink& out) const;
  template <class Sink>
  void Scalar(const JSONValue& v, Sink& out) const;

  bool ident_;
  bool universalTime_;
  bool utf8_;
};

}  // namespace braceform
