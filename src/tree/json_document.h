#pragma once
// The document-tree engine's facade: parse a text into a document, write it back.
#include <memory>
#include <string>
#include <string_view>

#include "tree/json_error.h"
#include "tree/json_value.h"

namespace braceform {

class JSONDocument {
 public:
  // The document written back: indented (two spaces per level, CR LF) when `ident`,
  // else compact; date values in universal time with "Z" when `universalTime`.
  std::u16string AsJSON(bool ident, bool universalTime) const;
  // The same text as UTF-8 (lone surrogates become U+FFFD, as the usual conversion does).
  std::string AsJSONUTF8(bool ident, bool universalTime) const;

  // The top-level value; an object or anything else.
  const JSONValue& Value() const { return root_; }
  bool IsObject() const { return root_.GetDataType() == dtObject; }
  bool CheckDate() const { return checkDate_; }

 private:
  friend std::unique_ptr<JSONDocument> ParseJSONDocument(std::u16string_view, bool);
  friend std::unique_ptr<JSONDocument> ParseJSONDocumentUTF8(std::string, bool);
  // Parses `json`, which the entry points have made well-formed WTF-8. Raises
  // JSONSyntaxError or JSONError; a text with no value at all is refused too.
  JSONDocument(std::string json, bool checkDate);

  std::string source_;  // strings without escapes point into it
  Arena arena_;
  JSONValue root_;
  bool checkDate_;
};

// Builds the shared scanner grammar and the date checks; call once at start-up so the
// first document does not pay for it (they are built on first use otherwise).
void InitializeDocumentTreeEngine();

// The empty text stands for "{}". Dates are recognised unless `checkDate` is false.
std::unique_ptr<JSONDocument> ParseJSONDocument(std::u16string_view json, bool checkDate = true);
// The same for UTF-8 input; gives exactly what the UTF-16 entry gives for the converted
// text (invalid sequences count as U+FFFD).
std::unique_ptr<JSONDocument> ParseJSONDocumentUTF8(std::string json, bool checkDate = true);

}  // namespace braceform
