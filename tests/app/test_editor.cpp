// The editor's contract: lines and the final-line-break rule, UTF-16 selection offsets,
// undo, and the key options.
#include <QtTest/QTest>

#include "app_test_util.h"

namespace braceform::testing {
namespace {

struct BreakCase {
  const char* name;
  bool afterLoad;  // the editor keeps a final line break once a file was loaded
  std::string given;
  std::string text;
  std::string textForm;
  int lineCount;
};

TEST(EditorText, GivenTextFinalBreakRule) {
  BreakCase cases[] = {
      {"plain", false, "a\r\nb", "a\r\nb", "a\r\nb", 2},
      {"final break gives an empty line", false, "a\r\nb\r\n", "a\r\nb\r\n", "a\r\nb\r\n", 3},
      {"mixed breaks", false, "a\rb\nc\n\rd", "a\r\nb\r\nc\r\n\r\nd", "a\r\nb\r\nc\r\n\r\nd", 5},
      {"empty", false, "", "", "", 0},
      {"U+2028 is not a break", false,
       "a\xE2\x80\xA8"
       "b",
       "a\xE2\x80\xA8"
       "b",
       "a\xE2\x80\xA8"
       "b",
       1},
      {"NUL kept", false, std::string("a\0b", 3), std::string("a\0b", 3), std::string("a\0b", 3),
       1},
      {"kept: no empty last line", true, "a\r\nb\r\n", "a\r\nb", "a\r\nb\r\n", 2},
      {"kept: no break given", true, "a\nb", "a\r\nb", "a\r\nb\r\n", 2},
      {"kept: one break is one empty line", true, "\r\n", "", "\r\n", 1},
      {"kept: empty", true, "", "", "", 0},
  };
  for (const BreakCase& c : cases) {
    SCOPED_TRACE(c.name);
    Editor editor;
    if (c.afterLoad) editor.SetLines(DocumentLines::FromText(std::string_view("x\r\n")));
    editor.SetText(c.given);
    EXPECT_EQ(editor.KeepsFinalBreak(), c.afterLoad);
    EXPECT_EQ(editor.Text(), c.text);
    EXPECT_EQ(editor.TextForm(), c.textForm);
    EXPECT_EQ(static_cast<int>(editor.Lines().Count()), c.lineCount);
    EXPECT_FALSE(editor.isUndoAvailable());
  }
}

TEST(EditorText, SetLinesTakesThemOver) {
  Editor editor;
  DocumentLines lines = DocumentLines::FromText(std::string_view("{\r\n  \"a\": 1\r\n}\r\n"));
  editor.SetLines(lines);
  EXPECT_EQ(editor.lines(), 3);  // no empty last line shown
  EXPECT_EQ(editor.TextForm(), lines.TextForm());
  EXPECT_EQ(editor.Lines().TextForm(), lines.TextForm());
}

TEST(EditorText, ReplaceTextIsOneUndoStep) {
  Editor editor;
  editor.insert(QStringLiteral("first"));
  editor.ReplaceText("second\r\nline\r\n");
  EXPECT_EQ(editor.Text(), "second\r\nline\r\n");
  editor.undo();
  EXPECT_EQ(editor.Text(), "first");
  editor.redo();
  EXPECT_EQ(editor.Text(), "second\r\nline\r\n");
}

TEST(EditorSelection, Utf16OffsetsWithCrLfAsTwo) {
  Editor editor;
  // a, e acute (2 bytes, 1 unit), CR LF (2 units), G clef (4 bytes, 2 units), b
  editor.SetText(
      "a\xC3\xA9\r\n\xF0\x9D\x84\x9E"
      "b\r\nlast");
  struct Case {
    std::int64_t start, length;
    QString selected;
  } cases[] = {{6, 1, "b"},
               {1, 1, "\u00E9"},
               {4, 2, QString::fromUtf8("\xF0\x9D\x84\x9E")},
               {1, 5, QString::fromUtf8("\u00E9\r\n\xF0\x9D\x84\x9E")},
               {9, 4, "last"},
               {0, 0, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    editor.SetSelection16(c.start, c.length);
    EXPECT_EQ(editor.SelStart(), c.start);
    EXPECT_EQ(editor.SelLength(), c.length);
    EXPECT_EQ(editor.selectedText(), c.selected);
    int line, index;
    editor.getCursorPosition(&line, &index);
    EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS),
              editor.SendScintilla(QsciScintilla::SCI_GETSELECTIONEND));  // caret at the end
  }
}

TEST(EditorKeys, EndStopsAtLastNonBlankFirst) {
  Editor editor;
  editor.SetText("  abc \t ");
  editor.SetCaretLine(0);
  QTest::keyClick(&editor, Qt::Key_End);
  EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS), 5);
  QTest::keyClick(&editor, Qt::Key_End);
  EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS), 8);
  QTest::keyClick(&editor, Qt::Key_End);
  EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS), 5);
  editor.SetCaretLine(0);
  QTest::keyClick(&editor, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(editor.selectedText(), "  abc");
}

TEST(EditorKeys, TabAutoIndentAndBlockIndent) {
  Editor editor;
  QTest::keyClick(&editor, Qt::Key_Tab);
  QTest::keyClicks(&editor, "x");
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "y");
  EXPECT_EQ(editor.Text(), "\tx\r\n\ty");  // a tab character, then the indentation kept
  editor.selectAll();
  QTest::keyClick(&editor, Qt::Key_Backtab);
  EXPECT_EQ(editor.Text(), "x\r\ny");
  editor.selectAll();
  QTest::keyClick(&editor, Qt::Key_Tab);
  EXPECT_EQ(editor.Text(), "\tx\r\n\ty");
}

TEST(EditorGutter, AtLeastThreeDigits) {
  Editor editor;
  EXPECT_EQ(editor.GutterDigits(), 3);
  std::string many;
  for (int i = 0; i < 12000; ++i) many += "x\r\n";
  editor.SetText(many);
  EXPECT_EQ(editor.GutterDigits(), 5);
  EXPECT_TRUE(editor.marginLineNumbers(1));
}

}  // namespace
}  // namespace braceform::testing

namespace braceform::testing {
namespace {

// Large documents run without modification notices; editing, undo and the gutter must not
// notice the difference.
TEST(EditorLarge, EditingWithoutModificationNotices) {
  Editor editor;
  editor.show();
  std::string line(static_cast<std::size_t>(Editor::kQuietNoticesLength) / 990, 'x');
  std::string big;
  for (int i = 0; i < 998; ++i) big += line + "\r\n";
  editor.SetText(big);
  EXPECT_EQ(editor.GutterDigits(), 3);
  editor.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "ab");
  QTest::qWait(50);
  EXPECT_EQ(editor.lines(), 1001);
  EXPECT_GT(editor.SendScintilla(QsciScintilla::SCI_GETLENGTH), Editor::kQuietNoticesLength);
  EXPECT_EQ(editor.GutterDigits(), 4);
  EXPECT_TRUE(editor.Text().ends_with("\r\nab"));
  editor.undo();
  EXPECT_FALSE(editor.Text().ends_with("ab"));
  editor.SetText("small");
  QTest::keyClicks(&editor, "!");
  EXPECT_EQ(editor.Text(), "!small");
}

}  // namespace
}  // namespace braceform::testing
