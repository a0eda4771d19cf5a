// The main window's commands: reformat, load, save, command line, drops, error report.
#include <QCursor>
#include <QDir>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QtTest/QTest>

#include "app_test_util.h"

namespace braceform::testing {
namespace {

using Lines = std::vector<std::string>;

std::string Joined(const Lines& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// Typographic quotes around the member name a.
const char* kSampleDocument = "// config\r\n{\u201Ca\u201D:[1,2],\"b\":{}}";

struct ReformatCase {
  const char* name;
  bool human;
  bool documentTree;
  Lines expected;
};

void PrintTo(const ReformatCase& c, std::ostream* os) { *os << c.name; }

class ReformatTest : public WindowTest, public ::testing::WithParamInterface<ReformatCase> {};

TEST_P(ReformatTest, SampleDocumentThroughTheButtons) {
  const ReformatCase& c = GetParam();
  editor()->insert(QString::fromUtf8(kSampleDocument));
  if (c.documentTree) form_->findChild<QAction*>("DocumentTree1")->trigger();
  form_->findChild<QPushButton*>(c.human ? "ButtonHuman" : "ButtonCompact")->click();

  ASSERT_TRUE(reports_.empty()) << reports_[0].text.toStdString();  // NOLINT
  EXPECT_EQ(DocumentLinesOf(), c.expected);
  EXPECT_EQ(editor()->CaretLine(), 0);
  EXPECT_EQ(editor()->firstVisibleLine(), 0);
  // Saved with exactly one CR LF at the end, no file loaded before.
  EXPECT_EQ(SaveAs("out.json"), Joined(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Window, ReformatTest,
    ::testing::Values(ReformatCase{"Compact", false, false, {R"({"a":[1,2],"b":{}})"}},
                      ReformatCase{"HumanStreaming",
                                   true,
                                   false,
                                   {"{", "  \"a\": ", "  [", "    1,", "    2", "  ],",
                                    "  \"b\": {", "    }", "}"}},
                      ReformatCase{"HumanDocumentTree",
                                   true,
                                   true,
                                   {"{", "  \"a\":  ", "  [", "1,", "2  ", "  ],",
                                    "  \"b\":  ", "  {", "  ", "  }", "}"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ReformatShowsProgressThenRestores) {
  editor()->insert(QStringLiteral("[1, 2]"));
  QString statusDuring;
  bool busyDuring = false;
  // Runs in the operation's single processing of pending events.
  QTimer::singleShot(0, [&] {
    statusDuring = form_->StatusText();
    busyDuring = QApplication::overrideCursor() != nullptr &&
                 QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  });
  form_->ButtonCompactClick();
  EXPECT_EQ(statusDuring, "Please wait...");
  EXPECT_TRUE(busyDuring);
  EXPECT_EQ(form_->StatusText(), "");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(editor()->Text(), "[1,2]\r\n");
}

// A click queued before a long operation runs after it, not inside its one processing of
// pending events.
TEST_F(WindowTest, QueuedClickWaitsForTheRunningCommand) {
  editor()->insert(QStringLiteral("[1, 2]"));
  QStringList statusAtOpen;
  ui_->onOpenDialog = [&] { statusAtOpen << form_->StatusText(); };
  auto* load = form_->findChild<QPushButton*>("ButtonLoad");
  const QPointF at(10, 10);
  QCoreApplication::postEvent(
      load, new QMouseEvent(QEvent::MouseButtonPress, at, load->mapToGlobal(at), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(
      load, new QMouseEvent(QEvent::MouseButtonRelease, at, load->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier));
  form_->ButtonHumanClick();
  EXPECT_TRUE(statusAtOpen.isEmpty());
  QApplication::processEvents();
  EXPECT_EQ(statusAtOpen, QStringList{QString()});  // the load ran once, afterwards
}

TEST_F(WindowTest, ReformatIsOneUndoStep) {
  const QString before = QStringLiteral("{\"a\": [1,\r\n  2]}\r\ntrailing garbage");
  editor()->insert(before);
  form_->ButtonHumanClick();
  ASSERT_NE(editor()->text(), before);
  const QString after = editor()->text();
  editor()->undo();
  EXPECT_EQ(editor()->text(), before);
  editor()->redo();
  EXPECT_EQ(editor()->text(), after);
}

TEST_F(WindowTest, CutTextWarnsWhereReadingStopped) {
  const QString text = QStringLiteral("// note\r\n{\"a\":[1,2,{\"b\":tru}],\"c\":3}");
  editor()->insert(text);
  Click("ButtonCompact");
  EXPECT_TRUE(reports_.empty());
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(ui_->boxes[0].caption, "Braceform");
  EXPECT_EQ(ui_->boxes[0].text,
            "The text could not be read from line 2, column 16 on. What follows was left out of "
            "the result. Undo brings back the whole text.");
  EXPECT_EQ(form_->StatusText(), "");  // the work is over when the box shows
  EXPECT_EQ(editor()->Text(), "{\"a\":[1,2,{\"b\":null\r\n");
  editor()->undo();
  EXPECT_EQ(editor()->text(), text);

  // A text read to its end, trailing blanks and all, gives no notice; neither does the
  // document-tree engine, which reports errors instead.
  editor()->selectAll();
  editor()->removeSelectedText();
  editor()->insert(QStringLiteral("[1, 2]  \r\n\r\n"));
  Click("ButtonHuman");
  form_->findChild<QAction*>("DocumentTree1")->trigger();
  Click("ButtonHuman");
  EXPECT_EQ(ui_->boxes.size(), 1u);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(WindowTest, DocumentTreeErrorLeavesEditorAndReportsOnce) {
  const QString text = QStringLiteral("// note\r\n[1, 2");
  editor()->insert(text);
  form_->findChild<QAction*>("DocumentTree1")->trigger();
  Click("ButtonHuman");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].caption, "Braceform");
  EXPECT_TRUE(reports_[0].text.contains("Line")) << reports_[0].text.toStdString();
  EXPECT_TRUE(reports_[0].text.endsWith('.') || reports_[0].text.endsWith(')'));
  // Status and cursor were restored before the box showed.
  EXPECT_EQ(reports_[0].statusAtReport, "");
  EXPECT_FALSE(reports_[0].busyCursorAtReport);
  EXPECT_EQ(editor()->text(), text);
  EXPECT_EQ(DocumentLinesOf(), Lines{"[1, 2"});
}

TEST_F(WindowTest, EmptyEditorStaysEmpty) {
  form_->ButtonCompactClick();
  form_->ButtonHumanClick();
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(editor()->Text(), "");
  EXPECT_EQ(SaveAs("empty.json"), "");
}

// --- Loading and saving -----------------------------------------------------------------

TEST_F(WindowTest, LoadThenSaveWritesCrLfAfterEveryLine) {
  struct Case {
    const char* file;
    std::string bytes;
    std::string saved;
  } cases[] = {
      {"lf.json", "{\n\"a\":1\n}", "{\r\n\"a\":1\r\n}\r\n"},
      {"final.json", "[1]\r\n", "[1]\r\n"},
      {"bom.json", "\xEF\xBB\xBF[\"\xC3\xA9\"]", "[\"\xC3\xA9\"]\r\n"},
      {"utf16.json", std::string("\xFF\xFE[\0\"\0\xE9\0\"\0]\0", 12), "[\"\xC3\xA9\"]\r\n"},
      {"empty.json", "", ""},
      {"one_empty_line.json", "\r\n", "\r\n"},
      {"two_empty_lines.json", "\n\n", "\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteBytes(Path(c.file), c.bytes);
    form_->DosyaAc(Path(c.file));
    EXPECT_TRUE(editor()->isEnabled());
    EXPECT_EQ(SaveAs(QStringLiteral("saved.json")), c.saved);
  }
  EXPECT_TRUE(reports_.empty());
}

TEST_F(WindowTest, FinalLineBreakBeforeAndAfterALoad) {
  editor()->insert(QStringLiteral("[1]"));
  EXPECT_EQ(SaveAs("before.json"), "[1]");
  WriteBytes(Path("some.json"), "{}");
  form_->DosyaAc(Path("some.json"));
  editor()->selectAll();
  editor()->removeSelectedText();
  editor()->insert(QStringLiteral("[1]"));
  EXPECT_EQ(SaveAs("after.json"), "[1]\r\n");
  form_->ButtonCompactClick();
  EXPECT_EQ(SaveAs("reformatted.json"), "[1]\r\n");
}

TEST_F(WindowTest, FailedLoadKeepsThePreviousDocument) {
  WriteBytes(Path("good.json"), "[1,\n2]");
  form_->DosyaAc(Path("good.json"));
  editor()->insert(QStringLiteral("edited "));
  const std::string editorBefore = editor()->Text();
  const Lines linesBefore = DocumentLinesOf();
  QDir(dir_.path()).mkdir("folder.json");
  for (const char* name : {"missing.json", "folder.json"}) {
    SCOPED_TRACE(name);
    reports_.clear();
    form_->findChild<QPushButton*>("ButtonLoad")->click();  // dialog cancelled: nothing
    ui_->nextOpenName = Path(name);
    form_->findChild<QPushButton*>("ButtonLoad")->click();
    ui_->nextOpenName.clear();
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].caption, "Braceform");
    EXPECT_FALSE(reports_[0].text.isEmpty());
    EXPECT_EQ(reports_[0].statusAtReport, "");
    EXPECT_FALSE(reports_[0].busyCursorAtReport);
    EXPECT_EQ(editor()->Text(), editorBefore);
    EXPECT_EQ(DocumentLinesOf(), linesBefore);
  }
  // The open dialog starts from the name chosen last time.
  EXPECT_EQ(ui_->openLastNames.last(), Path("missing.json"));
}

TEST_F(WindowTest, SizeThresholds) {
  struct Case {
    int size;
    bool coloured;
    bool shown;
  } cases[] = {{100, true, true}, {101, false, true}, {200, false, true}, {201, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    MakeForm({QStringLiteral("braceform")});
    form_->SetSizeLimits(100, 200);
    std::string bytes(static_cast<std::size_t>(c.size), ' ');
    bytes.front() = '[';
    bytes.back() = ']';
    WriteBytes(Path("sized.json"), bytes);
    form_->DosyaAc(Path("sized.json"));
    EXPECT_EQ(form_->findChild<QAction*>("JSON1")->isChecked(), c.coloured);
    EXPECT_EQ(form_->findChild<QAction*>("None1")->isChecked(), !c.coloured);
    EXPECT_EQ(editor()->isEnabled(), c.shown);
    EXPECT_EQ(DocumentLinesOf(), Lines{bytes});
    if (!c.shown) {
      EXPECT_EQ(editor()->Text(), "The file is not displayed because it is very large.");
    }
  }
}

TEST_F(WindowTest, DisabledEditorWorksOnDocumentLines) {
  form_->SetSizeLimits(1000, 5);
  WriteBytes(Path("big.json"), "// c\n[ 1 , 2 ]");
  form_->DosyaAc(Path("big.json"));
  ASSERT_FALSE(editor()->isEnabled());
  const std::string notice = editor()->Text();
  form_->ButtonCompactClick();
  EXPECT_EQ(editor()->Text(), notice);
  EXPECT_EQ(DocumentLinesOf(), Lines{"[1,2]"});
  EXPECT_EQ(SaveAs("big-out.json"), "[1,2]\r\n");
}

TEST_F(WindowTest, SaveReplacesWholeFileAndReportsFailure) {
  WriteBytes(Path("target.json"), std::string(1000, 'x'));
  editor()->insert(QStringLiteral("[]"));
  EXPECT_EQ(SaveAs("target.json"), "[]");
  ui_->nextSaveName.clear();  // cancelled: nothing happens
  Click("ButtonSave");
  EXPECT_EQ(ReadBytes(Path("target.json")), "[]");
  EXPECT_TRUE(reports_.empty());

  ui_->nextSaveName = Path("no-such-folder/x.json");
  Click("ButtonSave");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].statusAtReport, "");
  EXPECT_EQ(editor()->Text(), "[]");
  EXPECT_EQ(ui_->saveLastNames.last(), Path("target.json"));  // a cancel keeps the last name
}

// --- Command line and drops ---------------------------------------------------------------

TEST_F(WindowTest, CommandLine) {
  QDir(dir_.path()).mkdir("a folder");
  WriteBytes(Path("with  two.json"), "[2]");
  WriteBytes(Path("my file.json"), "[1]");
  const QString spaced = Path("my file.json");
  struct Case {
    const char* name;
    QStringList args;
    std::string expected;
  } cases[] = {
      {"none", {}, ""},
      {"quoted", {spaced}, "[1]"},
      {"unquoted", spaced.split(' '), "[1]"},
      {"padded", {"  " + spaced + "  "}, "[1]"},
      {"two files", {spaced, spaced}, ""},
      {"folder", {Path("a folder")}, ""},
      {"double space lost", Path("with  two.json").split(' ', Qt::SkipEmptyParts), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeForm(QStringList{QStringLiteral("braceform")} + c.args);
    form_->TimerParamTimer();
    EXPECT_FALSE(form_->timerParam()->isActive());
    EXPECT_EQ(editor()->Text(), c.expected);
  }
  EXPECT_TRUE(reports_.empty());
}

TEST_F(WindowTest, CommandLineFileOpensByTheOneShotTimer) {
  WriteBytes(Path("timed.json"), "[3]");
  form_ = std::make_unique<AppForm>(*context_,
                                    QStringList{QStringLiteral("braceform"), Path("timed.json")});
  EXPECT_TRUE(form_->timerParam()->isActive());
  EXPECT_EQ(form_->timerParam()->interval(), 100);
  EXPECT_EQ(form_->editor()->Text(), "");
  EXPECT_TRUE(QTest::qWaitFor([&] { return form_->editor()->Text() == "[3]"; }, 2000));
  EXPECT_FALSE(form_->timerParam()->isActive());
}

TEST_F(WindowTest, DroppedFilesLoadInTurnAndAFailureStopsTheRest) {
  for (int i = 1; i <= 3; ++i)
    WriteBytes(Path(QStringLiteral("%1.json").arg(i)), std::to_string(i));
  form_->SetSizeLimits(0, kDisplayLimit);  // every file switches colouring off
  form_->WMDropFiles({Path("1.json"), Path("2.json"), Path("3.json")});
  EXPECT_EQ(editor()->Text(), "3");
  EXPECT_TRUE(form_->findChild<QAction*>("None1")->isChecked());

  // Through the window's own drop handling, dropped on the editor.
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Path("1.json")), QUrl::fromLocalFile(Path("missing.json")),
                QUrl::fromLocalFile(Path("2.json"))});
  QWidget* target = editor()->viewport();
  QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(editor()->Text(), "1");  // the third file was not loaded
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_TRUE(reports_[0].text.contains("missing.json"));
}

// --- Error report -----------------------------------------------------------------------

TEST(ErrorReport, MessageText) {
  struct Case {
    std::exception_ptr error;
    const char* expected;
  };
  auto nested = [](const char* outer, const char* inner) {
    try {
      try {
        throw std::runtime_error(inner);
      } catch (...) {
        std::throw_with_nested(std::runtime_error(outer));
      }
    } catch (...) {
      return std::current_exception();
    }
    return std::exception_ptr();
  };
  Case cases[] = {
      {std::make_exception_ptr(std::runtime_error("Unexpected end of input")),
       "Unexpected end of input."},
      {std::make_exception_ptr(std::runtime_error("Done.")), "Done."},
      {std::make_exception_ptr(std::runtime_error("at (Line: 1 Col: 2)")), "at (Line: 1 Col: 2)"},
      {std::make_exception_ptr(std::runtime_error("x ,")), "x ,"},
      {std::make_exception_ptr(std::runtime_error("")), ""},
      {nested("outer", "inner cause"), "inner cause."},
      {nested("outer", ""), "outer."},
      {std::make_exception_ptr(std::bad_alloc()), "Out of memory."},
      {std::make_exception_ptr(42), "Unknown error."},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorReportMessage(c.error).toStdString(), c.expected);
}

// An event handler that throws, outside any Guarded command.
class Thrower : public QObject {
 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("from an event");
    return QObject::event(e);
  }
};

TEST_F(WindowTest, ApplicationReportsErrorsFromAnyEventHandler) {
  Thrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::sendPostedEvents(&thrower);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].text, "from an event.");
}

TEST_F(WindowTest, GuardedCommandReportsAndGoesOn) {
  int after = 0;
  Guarded([] { throw std::runtime_error("boom"); });
  Guarded([&] { ++after; });
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].caption, "Braceform");
  EXPECT_EQ(reports_[0].text, "boom.");
  EXPECT_EQ(after, 1);
  EXPECT_EQ(form_->windowTitle(), "TARNVEX - Braceform");
}

}  // namespace
}  // namespace braceform::testing
