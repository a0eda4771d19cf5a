#include "tree/json_document.h"

#include <new>
#include <stdexcept>

#include "text/utf.h"
#include "tree/iso8601.h"
#include "tree/json_parser.h"
#include "tree/json_writer.h"
#include "tree/lex_scanner.h"
#include "tree/wtf8.h"

namespace braceform {

namespace {

// Running out of memory on a huge or deeply nested text is reported like any other
// rejection rather than escaping as a bare allocation failure.
template <class F>
auto Guarded(const char* what, F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    throw JSONError(std::string("Not enough memory to ") + what + " the document");
  } catch (const std::length_error& e) {
    throw JSONError(e.what());
  }
}

}  // namespace

JSONDocument::JSONDocument(std::string json, bool checkDate)
    : source_(std::move(json)), checkDate_(checkDate) {
  Guarded("read", [&] {
    const ParseResult r = ParseJSON(source_, checkDate_, arena_);
    if (!r.found) {
      LexGenerator where(source_);
      where.Fail("No JSON value found", r.where);
    }
    root_ = r.value;
    return 0;
  });
}

std::u16string JSONDocument::AsJSON(bool ident, bool universalTime) const {
  return Guarded("write",
                 [&] { return JSONWriter(ident, universalTime, false).WriteUTF16(root_); });
}

std::string JSONDocument::AsJSONUTF8(bool ident, bool universalTime) const {
  return Guarded("write", [&] { return JSONWriter(ident, universalTime, true).Write(root_); });
}

void InitializeDocumentTreeEngine() {
  JSONGrammar::Get();
  JSONDateManager::Initialize();
}

std::unique_ptr<JSONDocument> ParseJSONDocument(std::u16string_view json, bool checkDate) {
  if (json.empty()) json = u"{}";
  return std::unique_ptr<JSONDocument>(new JSONDocument(wtf8::FromUTF16(json), checkDate));
}

std::unique_ptr<JSONDocument> ParseJSONDocumentUTF8(std::string json, bool checkDate) {
  if (json.empty()) json = "{}";
  text::SanitizeUTF8(json);
  return std::unique_ptr<JSONDocument>(new JSONDocument(std::move(json), checkDate));
}

}  // namespace braceform
