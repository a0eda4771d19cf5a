// Parses any bytes with the document-tree engine and writes them back. Errors are fine;
// a crash, a sanitizer report or a broken invariant is not:
// - the UTF-8 entry points agree with the UTF-16 ones on the converted text;
// - the compact text, parsed again, gives itself back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/utf.h"
#include "tree/json_document.h"

namespace {

std::string ViaUTF8(const std::string& in, bool ident) {
  try {
    return braceform::ParseJSONDocumentUTF8(in)->AsJSONUTF8(ident, false);
  } catch (const braceform::JSONError& e) {
    return std::string("error: ") + e.what();
  }
}

std::string ViaUTF16(const std::string& in, bool ident) {
  try {
    auto doc = braceform::ParseJSONDocument(braceform::text::UTF8ToUTF16(in));
    return braceform::text::UTF16ToUTF8(doc->AsJSON(ident, false));
  } catch (const braceform::JSONError& e) {
    return std::string("error: ") + e.what();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  // Indented output grows with the square of the depth; keep it to small inputs.
  const bool ident = size < 4096;
  const std::string compact = ViaUTF8(in, false);
  if (compact != ViaUTF16(in, false)) std::abort();
  if (ident && ViaUTF8(in, true) != ViaUTF16(in, true)) std::abort();
  if (compact.rfind("error: ", 0) != 0 && ViaUTF8(compact, false) != compact) std::abort();

  // The same bytes as UTF-16 code units: lone surrogates and all.
  std::u16string wide(size / 2, u'\0');
  std::memcpy(wide.data(), data, wide.size() * 2);
  try {
    auto doc = braceform::ParseJSONDocument(wide);
    doc->AsJSON(false, true);
    if (ident) doc->AsJSON(true, false);
  } catch (const braceform::JSONError&) {
  }
  return 0;
}
