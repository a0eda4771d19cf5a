// Arbitrary file bytes through the load decoding and both reformat operations. Besides not
// crashing, the result must be a clean document: valid UTF-8, trimmed at both ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/document_file.h"
#include "reformat/pipeline.h"
#include "text/utf.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckResult(const braceform::DocumentLines& d) {
  const std::string& form = d.TextForm();
  Check(braceform::text::IsValidUTF8(form));
  if (d.Empty()) return;
  std::string_view first = d.Line(0), last = d.Line(d.Count() - 1);
  Check(!first.empty() && static_cast<unsigned char>(first.front()) > 0x20);
  Check(!last.empty() && static_cast<unsigned char>(last.back()) > 0x20);
}

// Where reading stopped must be a place in the document as it was handed in: one of its
// lines, at most just past that line's last character.
void CheckStop(const braceform::ReformatResult& r, const braceform::DocumentLines& document) {
  if (r.complete) return;
  Check(r.line >= 1 && r.line <= document.Count() && r.column >= 1);
  Check(r.column <= braceform::text::CountCharacters(document.Line(r.line - 1)) + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const kCodePages[] = {"CP1252", "CP932", "CP1251", "CP936"};
  const char* codePage = kCodePages[size ? data[0] % 4 : 0];
  // Spare capacity, as a file read leaves it, lets the lines be built in place.
  std::string bytes;
  bytes.reserve(size % 3 ? 2 * size + 16 : size);
  bytes.assign(reinterpret_cast<const char*>(data), size);
  braceform::DocumentLines loaded = braceform::DecodeDocument(std::move(bytes), codePage);
  Check(braceform::text::IsValidUTF8(loaded.TextForm()));

  for (auto mode : {braceform::ReformatMode::Compact, braceform::ReformatMode::HumanReadable}) {
    for (bool tabs : {true, false}) {
      braceform::DocumentLines d = loaded;
      braceform::ReformatOptions options;
      options.convertTabsToSpaces = tabs;
      options.unquotedNames = size && (data[size - 1] & 1);
      const braceform::ReformatResult r = braceform::ReformatDocument(d, mode, options);
      CheckResult(d);
      CheckStop(r, loaded);
      // Working in the document's own buffer must give the same result.
      braceform::DocumentLines inPlace = loaded;
      options.keepDocumentOnFailure = false;
      const braceform::ReformatResult q = braceform::ReformatDocument(inPlace, mode, options);
      Check(inPlace.TextForm() == d.TextForm());
      Check(q.complete == r.complete && q.line == r.line && q.column == r.column);
    }
  }
  return 0;
}
