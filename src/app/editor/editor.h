#pragma once
// The document editor: QScintilla with the operations the window needs, in the window's
// terms (lines, UTF-16 selection offsets with CR LF as two, the final-line-break rule).
#include <Qsci/qsciscintilla.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "document/document_lines.h"

class QMenu;

namespace braceform {

class Editor : public QsciScintilla {
  Q_OBJECT

 public:
  // Above this many bytes the editor sends no modification notices (see BulkChange).
  static constexpr long kQuietNoticesLength = 8L << 20;
  // Free space left behind a loaded text.
  static constexpr std::size_t kTypingRoom = 1 << 20;

  explicit Editor(QWidget* parent = nullptr);

  // The text as the editor holds it, every break a CR LF, no final break added.
  std::string Text() const;
  // The lines joined by CR LF, with CR LF after the last line too while the editor keeps
  // a final line break. This is what a save writes.
  std::string TextForm() const;
  // The editor's lines (a break at the very end shows as an empty last line).
  DocumentLines Lines() const;

  // Takes over a copy of the lines; from then on the editor keeps a final line break.
  // Undo history emptied, view at the top.
  void SetLines(const DocumentLines& lines);
  // A text given to the editor: split at CR LF, CR and LF; a final break gives an empty
  // last line unless the editor keeps a final line break. Undo history emptied.
  void SetText(std::string_view text);
  // The same as one undoable step (the previous text comes back with a single undo).
  void ReplaceText(std::string_view text);
  // Text, marks, undo and redo history and the modified flag.
  void ClearAll();
  bool KeepsFinalBreak() const { return keepFinalBreak_; }

  int CaretLine() const;
  void SetCaretLine(int line);
  void ScrollToTopLeft();

  // Selection in UTF-16 units of Text().
  std::int64_t SelStart() const;
  std::int64_t SelLength() const;
  // Selects, with the caret at the end, and scrolls it into view.
  void SetSelection16(std::int64_t start, std::int64_t length);

  bool WordWrap() const { return wrapMode() != WrapNone; }
  void SetWordWrap(bool on) { setWrapMode(on ? WrapWord : WrapNone); }

  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

  // Gutter width in digits (at least three).
  int GutterDigits() const { return gutterDigits_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class BulkChange;

  long Sci(unsigned int msg, std::uintptr_t w = 0, std::intptr_t l = 0) const;
  long SciText(unsigned int msg, std::uintptr_t w, const char* text) const;
  void Load(std::string_view text);
  // The editor's own bytes, valid until the next change.
  std::string_view Content() const;
  void ApplyDocumentSettings();
  bool HoldsOneEmptyLine() const;
  std::int64_t ToUTF16(long pos) const;
  long FromUTF16(std::int64_t offset) const;
  void UpdateGutter();
  bool EnhancedEnd(bool extend);

  bool keepFinalBreak_ = false;
  // One empty line was given: it shows as no text at all, like an empty document. It holds
  // for as long as the text is as it was given (undo can bring that back).
  bool oneEmptyLine_ = false;
  int gutterDigits_ = 0;
  QMenu* popupMenu_ = nullptr;
};

// Every CR LF, lone CR and lone LF becomes CR LF.
std::string NormaliseLineBreaks(std::string_view text);

}  // namespace braceform
