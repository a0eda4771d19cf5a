#pragma once
// The reformat pipeline's core: lines in, lines out, no window.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "document/document_lines.h"

namespace braceform {

enum class ReformatMode { HumanReadable, Compact };
enum class HumanReadableEngine { Streaming, DocumentTree };

struct ReformatOptions {
  HumanReadableEngine humanReadableEngine = HumanReadableEngine::Streaming;
  bool convertTabsToSpaces = true;
  // The streaming engine's unquoted-member-name styles (the CLI's --unquoted); the window
  // never sets it.
  bool unquotedNames = false;
  // False lets the streaming engine work in the document's own buffer (one copy less of a
  // large document) for callers that hold the document elsewhere: if that engine then
  // fails (it can only run out of memory), `lines` are lost. The document-tree engine's
  // rejections always leave `lines` as described below.
  bool keepDocumentOnFailure = true;
};

// Whether the streaming engine read the whole text. When it did not, the result holds what
// it wrote up to where it stopped, and `line` and `column` (both from 1) say where the first
// text missing from it stands in the document as it was handed in: comment lines counted,
// typographic quotes as they were. The column counts characters (code points, so a
// character outside the Basic Multilingual Plane is one, not two UTF-16 units). The
// document-tree engine reads everything or raises an error.
struct ReformatResult {
  bool complete = true;
  std::size_t line = 0, column = 0;
};

// Runs the operation on `lines` (the comment-line removal, the quote replacement, the
// engine, tab conversion, trimming and splitting). On success `lines` holds the result.
// When the document-tree engine rejects the text the error propagates and `lines` holds
// the document without its comment lines.
ReformatResult ReformatDocument(DocumentLines& lines, ReformatMode mode,
                                const ReformatOptions& options);

// Deletes the lines whose text, trimmed with TrimUTF8, begins with "//". With `removed`
// given, the indices the deleted lines had are appended to it in ascending order.
void RemoveCommentLines(DocumentLines& lines, std::vector<std::size_t>* removed = nullptr);

// Removes the bytes 0x00 to 0x20 from both ends.
std::string_view TrimUTF8(std::string_view text);

// The message as the error report shows it: a full stop is appended when the last
// character's code is above that of the full stop.
std::string ErrorReportText(std::string_view message);

}  // namespace braceform
