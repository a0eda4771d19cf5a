#include "editor/editor.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "text/byte_search.h"

namespace braceform {

namespace {

// Characters the End key skips back over before stopping at the last non-blank one.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QFont PointFont(const char* family, double pixels) {
  QFont font(family);
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(pixels * 72.0 / 96.0);  // character heights are given at 96 dpi
  return font;
}

// Qt 6 creates an accessibility object for every widget an event touches, whether or not
// an assistive technology listens, and QScintilla's counts every character from the start
// of the document to the caret each time the caret moves: a third of a second per
// keystroke near the end of 100 MiB. Nobody listening, the editor gets a plain one; when
// a listener appears the cached ones are dropped so QScintilla's full one takes over.
QAccessibleInterface* QuietEditorAccessible(const QString&, QObject* object) {
  if (QAccessible::isActive()) return nullptr;
  auto* editor = qobject_cast<Editor*>(object);
  return editor != nullptr ? new QAccessibleWidget(editor, QAccessible::EditableText) : nullptr;
}

class AccessibilityWatch : public QAccessible::ActivationObserver {
 public:
  void accessibilityActiveChanged(bool) override {
    for (QWidget* widget : QApplication::allWidgets()) {
      if (qobject_cast<Editor*>(widget) == nullptr) continue;
      if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
    }
  }
};

void InstallQuietAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(QuietEditorAccessible);
  static AccessibilityWatch watch;
  QAccessible::installActivationObserver(&watch);
}

}  // namespace

namespace {
// Appends `text` with every CR LF, lone CR and lone LF written as CR LF.
void AppendNormalised(std::string& out, std::string_view text) {
  if (bytes::OnlyCrLfBreaks(text.data(), text.size())) {  // as the editor holds it: one copy
    out.append(text);
    return;
  }
  std::size_t i = 0, n = text.size();
  while (i < n) {
    const std::size_t j = bytes::FindFirstOf(text.data(), n, i, '\r', '\n', '\n');
    out.append(text.data() + i, j - i);
    if (j == n) break;
    out += "\r\n";
    i = (text[j] == '\r' && j + 1 < n && text[j + 1] == '\n') ? j + 2 : j + 1;
  }
}
}  // namespace

std::string NormaliseLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendNormalised(out, text);
  return out;
}

Editor::Editor(QWidget* parent) : QsciScintilla(parent) {
  InstallQuietAccessibility();
  setUtf8(true);
  setEolMode(EolWindows);
  Sci(SCI_SETPASTECONVERTENDINGS, 1);

  QFont font = PointFont("Courier New", 13);
  setFont(font);
  setMarginsFont(PointFont("Courier New", 11));

  // No right-margin line, no folding, no glyphs at wrapped line ends.
  setEdgeMode(EdgeNone);
  setFolding(NoFoldStyle);
  setWrapVisualFlags(WrapFlagNone);

  // Gutter: marks band, line numbers, folding band (empty while folding is off), then a
  // small gap before the text.
  setMargins(3);
  setMarginType(0, SymbolMargin);
  setMarginWidth(0, 13);
  setMarginType(1, NumberMargin);
  setMarginLineNumbers(1, true);
  setMarginType(2, SymbolMargin);
  setMarginWidth(2, 0);
  Sci(SCI_SETMARGINLEFT, 0, 3);
  UpdateGutter();
  connect(this, &QsciScintilla::linesChanged, this, &Editor::UpdateGutter);
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { UpdateGutter(); });

  // The horizontal scroll bar follows the longest line seen instead of a fixed width.
  Sci(SCI_SETSCROLLWIDTH, 1);
  Sci(SCI_SETSCROLLWIDTHTRACKING, 1);
  // Selection drawn translucent over the text.
  Sci(SCI_SETSELALPHA, 102);

  // Alt-drag selects a column block; typing keeps the indentation of the line above;
  // Backspace in leading white space steps back by an indentation level; Tab and
  // Shift+Tab on a block indent and unindent it; Tab inserts a tab character.
  Sci(SCI_SETRECTANGULARSELECTIONMODIFIER, SCMOD_ALT);
  Sci(SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 1);
  setAutoIndent(true);
  setBackspaceUnindents(true);
  setTabIndents(true);
  setIndentationsUseTabs(true);
  setTabWidth(8);
  ApplyDocumentSettings();
  // Caret never beyond the end of a line.
  Sci(SCI_SETVIRTUALSPACEOPTIONS, SCVS_NONE);
  // Files dropped on the editor belong to the window; text drags stay the editor's.
  setAcceptDrops(true);
}

long Editor::Sci(unsigned int msg, std::uintptr_t w, std::intptr_t l) const {
  return SendScintilla(msg, static_cast<unsigned long>(w), static_cast<long>(l));
}

long Editor::SciText(unsigned int msg, std::uintptr_t w, const char* text) const {
  return SendScintilla(msg, w, text);
}

std::string_view Editor::Content() const {
  long length = Sci(SCI_GETLENGTH);
  const char* p = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  if (length <= 0 || p == nullptr) return {};
  return std::string_view(p, static_cast<std::size_t>(length));
}

std::string Editor::Text() const { return NormaliseLineBreaks(Content()); }

bool Editor::HoldsOneEmptyLine() const {
  return oneEmptyLine_ && Sci(SCI_GETLENGTH) == 0 && !Sci(SCI_GETMODIFY);
}

std::string Editor::TextForm() const {
  if (HoldsOneEmptyLine()) return "\r\n";
  std::string text = Text();  // room for the final break is reserved
  if (keepFinalBreak_ && !text.empty()) text += "\r\n";
  return text;
}

DocumentLines Editor::Lines() const {
  if (HoldsOneEmptyLine()) return DocumentLines::FromText(std::string_view("\r\n"));
  std::string_view content = Content();
  if (content.empty()) return {};
  std::string text;
  text.reserve(content.size() + 2);
  AppendNormalised(text, content);
  text += "\r\n";
  return DocumentLines::FromText(std::move(text));
}

// Whole-text changes are announced to nobody: QScintilla converts the changed text to a
// QString for each modification notice (seconds on 100 MiB). Large documents stay quiet
// afterwards too, which halves the time of a keystroke near the end of 100 MiB; the
// gutter then follows the view's updates instead.
class Editor::BulkChange {
 public:
  explicit BulkChange(Editor* editor) : editor_(editor) { editor_->Sci(SCI_SETMODEVENTMASK, 0); }
  ~BulkChange() {
    bool large = editor_->Sci(SCI_GETLENGTH) > kQuietNoticesLength;
    editor_->Sci(SCI_SETMODEVENTMASK, large ? 0 : SC_MODEVENTMASKALL);
    editor_->UpdateGutter();
  }
  BulkChange(const BulkChange&) = delete;
  BulkChange& operator=(const BulkChange&) = delete;

 private:
  Editor* editor_;
};

// Settings that Scintilla keeps with the document rather than the view.
void Editor::ApplyDocumentSettings() {
  Sci(SCI_SETCODEPAGE, SC_CP_UTF8);
  Sci(SCI_SETEOLMODE, SC_EOL_CRLF);
  Sci(SCI_SETTABWIDTH, 8);
  Sci(SCI_SETUSETABS, 1);
  Sci(SCI_SETTABINDENTS, 1);
  Sci(SCI_SETBACKSPACEUNINDENTS, 1);
}

void Editor::Load(std::string_view text) {
  {
    BulkChange bulk(this);
    Sci(SCI_SETUNDOCOLLECTION, 0);
    Sci(SCI_CLEARALL);
    // Room for typing, so the first keystroke does not move the whole document.
    Sci(SCI_ALLOCATE, text.size() + kTypingRoom);
    if (!text.empty()) SciText(SCI_APPENDTEXT, text.size(), text.data());
    Sci(SCI_SETUNDOCOLLECTION, 1);
  }
  Sci(SCI_EMPTYUNDOBUFFER);
  Sci(SCI_SETSAVEPOINT);
  Sci(SCI_GOTOPOS, 0);
  ScrollToTopLeft();
}

void Editor::SetLines(const DocumentLines& lines) {
  keepFinalBreak_ = true;
  std::string_view form = lines.TextForm();
  if (!form.empty()) form.remove_suffix(2);  // kept by the final-break rule instead
  Load(form);
  oneEmptyLine_ = lines.Count() == 1 && form.empty();
}

namespace {
// What the editor shows for a text given to it. `buffer` holds the text when its breaks
// had to be rewritten; a text that already uses CR LF throughout is taken as it is.
std::string_view EditorContent(std::string_view text, bool keepFinalBreak, std::string& buffer) {
  std::string_view content = text;
  if (!bytes::OnlyCrLfBreaks(text.data(), text.size())) {
    buffer = NormaliseLineBreaks(text);
    content = buffer;
  }
  if (keepFinalBreak && content.ends_with("\r\n")) content.remove_suffix(2);
  return content;
}
}  // namespace

void Editor::SetText(std::string_view text) {
  std::string buffer;
  std::string_view content = EditorContent(text, keepFinalBreak_, buffer);
  Load(content);
  oneEmptyLine_ = content.empty() && !text.empty();  // a single line break was given
}

void Editor::ReplaceText(std::string_view text) {
  std::string buffer;
  std::string_view content = EditorContent(text, keepFinalBreak_, buffer);
  BulkChange bulk(this);
  Sci(SCI_BEGINUNDOACTION);
  Sci(SCI_SETTARGETRANGE, 0, Sci(SCI_GETLENGTH));
  SciText(SCI_REPLACETARGET, content.size(), content.data());
  Sci(SCI_ENDUNDOACTION);
  Sci(SCI_GOTOPOS, 0);
  ScrollToTopLeft();
}

void Editor::ClearAll() {
  oneEmptyLine_ = false;
  Sci(SCI_CLEARALL);
  Sci(SCI_MARKERDELETEALL, static_cast<std::uintptr_t>(-1));
  Sci(SCI_EMPTYUNDOBUFFER);
  Sci(SCI_SETSAVEPOINT);
}

int Editor::CaretLine() const {
  return static_cast<int>(Sci(SCI_LINEFROMPOSITION, Sci(SCI_GETCURRENTPOS)));
}

void Editor::SetCaretLine(int line) { Sci(SCI_GOTOLINE, line); }

void Editor::ScrollToTopLeft() {
  Sci(SCI_SETFIRSTVISIBLELINE, 0);
  Sci(SCI_SETXOFFSET, 0);
}

// Counted on demand: a UTF-16 line index kept by Scintilla would be rebuilt on every
// whole-text replacement, and only find and the selection offsets need it.
std::int64_t Editor::ToUTF16(long pos) const { return Sci(SCI_COUNTCODEUNITS, 0, pos); }

long Editor::FromUTF16(std::int64_t offset) const {
  return Sci(SCI_POSITIONRELATIVECODEUNITS, 0, static_cast<std::intptr_t>(offset));
}

std::int64_t Editor::SelStart() const { return ToUTF16(Sci(SCI_GETSELECTIONSTART)); }

std::int64_t Editor::SelLength() const { return ToUTF16(Sci(SCI_GETSELECTIONEND)) - SelStart(); }

void Editor::SetSelection16(std::int64_t start, std::int64_t length) {
  long from = FromUTF16(start);
  long to = FromUTF16(start + length);
  Sci(SCI_SETSEL, from, to);
  Sci(SCI_SCROLLRANGE, from, to);
}

void Editor::UpdateGutter() {
  int digits = 3;
  for (long n = Sci(SCI_GETLINECOUNT); n >= 1000; n /= 10) ++digits;
  if (digits == gutterDigits_) return;
  gutterDigits_ = digits;
  setMarginWidth(1, QString(digits + 1, QLatin1Char('9')));
}

bool Editor::EnhancedEnd(bool extend) {
  long pos = Sci(SCI_GETCURRENTPOS);
  long line = Sci(SCI_LINEFROMPOSITION, pos);
  long start = Sci(SCI_POSITIONFROMLINE, line);
  long end = Sci(SCI_GETLINEENDPOSITION, line);
  long lastNonBlank = end;
  while (lastNonBlank > start && IsBlank(static_cast<char>(Sci(SCI_GETCHARAT, lastNonBlank - 1))))
    --lastNonBlank;
  long target = pos != lastNonBlank ? lastNonBlank : end;
  if (extend)
    Sci(SCI_SETCURRENTPOS, target);
  else
    Sci(SCI_GOTOPOS, target);
  Sci(SCI_CHOOSECARETX);
  Sci(SCI_SCROLLCARET);
  return true;
}

void Editor::keyPressEvent(QKeyEvent* event) {
  Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_End && (mods == Qt::NoModifier || mods == Qt::ShiftModifier) &&
      !WordWrap()) {
    EnhancedEnd(mods == Qt::ShiftModifier);
    event->accept();
    return;
  }
  QsciScintilla::keyPressEvent(event);
}

void Editor::contextMenuEvent(QContextMenuEvent* event) {
  if (popupMenu_ == nullptr) return QsciScintilla::contextMenuEvent(event);
  popupMenu_->exec(event->globalPos());
  event->accept();
}

}  // namespace braceform
