// The menus and the context menu: captions, order, states and effects.
#include <QDialog>
#include <QMenuBar>
#include <QTimer>
#include <QtTest/QTest>

#include "app_test_util.h"
#include "version_info.h"

namespace braceform::testing {
namespace {

// Captions in display order; "-" is a separator, "[x]"/"[ ]" a checkable item's state,
// ">" opens a submenu. Hidden items are left out.
QStringList Describe(const QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) {
    if (!a->isVisible()) continue;
    if (a->isSeparator()) {
      out << "-";
      continue;
    }
    QString item = a->text();
    if (a->isCheckable()) item += a->isChecked() ? " [x]" : " [ ]";
    if (a->menu() != nullptr) item += " > " + Describe(a->menu()).join(", ");
    out << item;
  }
  return out;
}

TEST_F(WindowTest, MenusAtStart) {
  QStringList bar;
  for (QAction* a : form_->menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar.mid(0, 2), (QStringList{"File", "Options"}));
  EXPECT_EQ(Describe(form_->findChild<QMenu*>("File1")),
            (QStringList{"New", "Load JSON File...", "Save JSON File...", "-", "Exit"}));
  EXPECT_EQ(Describe(form_->findChild<QMenu*>("Options1")),
            (QStringList{"Human Readable Engine > Streaming [x], Document Tree [ ]",
                         "Syntax > None [ ], JSON [x]", "-", "Convert Tabs to Spaces [x]",
                         "Word Wrap [ ]"}));
  EXPECT_EQ(Describe(form_->findChild<QMenu*>("PopupMenu1")),
            (QStringList{"Undo", "-", "Cut", "Copy", "Paste", "Delete", "-", "Select All"}));
  for (const char* name : {"New1", "LoadJSONFile1", "SaveJSONFile1", "Exit1"})
    EXPECT_FALSE(form_->findChild<QAction*>(name)->icon().isNull()) << name;
}

TEST_F(WindowTest, RadioAndCheckItems) {
  auto action = [&](const char* name) { return form_->findChild<QAction*>(name); };
  action("DocumentTree1")->trigger();
  EXPECT_EQ(form_->Options().humanReadableEngine, HumanReadableEngine::DocumentTree);
  EXPECT_FALSE(action("Streaming1")->isChecked());
  action("DocumentTree1")->trigger();  // already checked: no change
  EXPECT_TRUE(action("DocumentTree1")->isChecked());
  action("Streaming1")->trigger();
  EXPECT_EQ(form_->Options().humanReadableEngine, HumanReadableEngine::Streaming);

  action("ConvertTabstoSpaces1")->trigger();
  EXPECT_FALSE(form_->Options().convertTabsToSpaces);
  editor()->insert(QStringLiteral("{\"a\":[1]}"));
  form_->ButtonHumanClick();
  EXPECT_EQ(DocumentLinesOf()[1], "\t\"a\": ");  // one tab per level now

  action("WordWrap1")->trigger();
  EXPECT_TRUE(editor()->WordWrap());
  EXPECT_TRUE(action("WordWrap1")->isChecked());
  action("WordWrap1")->trigger();
  EXPECT_FALSE(editor()->WordWrap());
  EXPECT_FALSE(action("WordWrap1")->isChecked());
}

TEST_F(WindowTest, SyntaxNoneAndJson) {
  QsciLexer* colouring = editor()->lexer();
  form_->findChild<QAction*>("None1")->trigger();
  EXPECT_EQ(editor()->lexer(), nullptr);
  EXPECT_TRUE(form_->findChild<QAction*>("None1")->isChecked());
  form_->findChild<QAction*>("JSON1")->trigger();
  EXPECT_EQ(editor()->lexer(), colouring);
  EXPECT_TRUE(form_->findChild<QAction*>("JSON1")->isChecked());
}

TEST_F(WindowTest, NewAfterLargeFile) {
  form_->SetSizeLimits(kColouringLimit, 3);
  WriteBytes(Path("large.json"), "[1, 2]");
  form_->DosyaAc(Path("large.json"));
  ASSERT_FALSE(editor()->isEnabled());
  form_->findChild<QAction*>("WordWrap1")->trigger();
  form_->findChild<QAction*>("New1")->trigger();
  EXPECT_TRUE(editor()->isEnabled());
  EXPECT_EQ(editor()->Text(), "");
  EXPECT_FALSE(editor()->isUndoAvailable());
  EXPECT_FALSE(editor()->isModified());
  EXPECT_EQ(editor()->SelStart(), 0);
  EXPECT_TRUE(form_->documentLines().Empty());
  EXPECT_TRUE(editor()->WordWrap());  // options keep their states
}

TEST_F(WindowTest, ContextMenuCommands) {
  editor()->insert(QStringLiteral("abc"));
  auto action = [&](const char* name) { form_->findChild<QAction*>(name)->trigger(); };
  action("SelectAll1");
  EXPECT_EQ(editor()->SelLength(), 3);
  action("Copy1");
  action("Delete1");
  EXPECT_EQ(editor()->Text(), "");
  action("Paste1");
  action("Paste1");
  EXPECT_EQ(editor()->Text(), "abcabc");
  action("SelectAll1");
  action("Cut1");
  EXPECT_EQ(editor()->Text(), "");
  action("Undo1");
  EXPECT_EQ(editor()->Text(), "abcabc");
  EXPECT_TRUE(reports_.empty());
}

TEST_F(WindowTest, ExitEndsTheLoopWithoutQuestion) {
  editor()->insert(QStringLiteral("unsaved"));
  QTimer::singleShot(0, [&] { form_->findChild<QAction*>("Exit1")->trigger(); });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  bool timedOut = false;
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    timedOut = true;
    QCoreApplication::exit(1);
  });
  watchdog.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_FALSE(timedOut);
  EXPECT_TRUE(ui_->boxes.empty());
}

TEST_F(WindowTest, MenuLoadAndSaveClickTheButtons) {
  WriteBytes(Path("m.json"), "[7]");
  ui_->nextOpenName = Path("m.json");
  form_->findChild<QAction*>("LoadJSONFile1")->trigger();
  EXPECT_EQ(editor()->Text(), "[7]");
  ui_->nextSaveName = Path("n.json");
  form_->findChild<QAction*>("SaveJSONFile1")->trigger();
  EXPECT_EQ(ReadBytes(Path("n.json")), "[7]\r\n");
}

}  // namespace
}  // namespace braceform::testing

namespace braceform::testing {
namespace {

TEST_F(WindowTest, FindForwardWrapsOnlyThroughTheMessage) {
  editor()->SetText("xx ABC\r\nyy abc");
  struct Step {
    bool matchCase;
    std::int64_t start;  // -1: not found
  } steps[] = {{false, 3}, {false, 11}, {false, -1}, {false, 3}, {true, 11}, {true, -1}};
  for (const Step& s : steps) {
    ui_->boxes.clear();
    form_->FindDialog1Find(QStringLiteral("abc"), s.matchCase);
    if (s.start < 0) {
      ASSERT_EQ(ui_->boxes.size(), 1u);
      EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Warning);
      EXPECT_EQ(ui_->boxes[0].caption, "Find");
      EXPECT_EQ(ui_->boxes[0].text, "Text not found!");
      EXPECT_EQ(editor()->SelStart(), 0);
      EXPECT_EQ(editor()->SelLength(), 0);
    } else {
      EXPECT_TRUE(ui_->boxes.empty());
      EXPECT_EQ(editor()->SelStart(), s.start);
      EXPECT_EQ(editor()->SelLength(), 3);
    }
  }
  // A selection that ends at the very end of the text finds nothing.
  ui_->boxes.clear();
  editor()->SetSelection16(11, 3);
  form_->FindDialog1Find(QStringLiteral("x"), false);
  EXPECT_EQ(ui_->boxes.size(), 1u);
}

TEST_F(WindowTest, FindButtonOpensModelessDialog) {
  Click("Button3");
  auto* dialog = form_->findChild<QDialog*>("FindDialog1");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  Click("Button3");
  EXPECT_EQ(form_->findChildren<QDialog*>("FindDialog1").size(), 1);
}

TEST_F(WindowTest, HelpMenuAndOnlineHelp) {
  EXPECT_EQ(Describe(form_->findChild<QMenu*>("Help1")),
            (QStringList{"Online Help", "-", "Update Notifications [x]", "Language...",
                         "Send &Feedback...", "&About..."}));
  QAction* updates = form_->findChild<QAction*>("UpdateNotifications1");
  EXPECT_FALSE(updates->isEnabled());  // until the update check has finished
  QAction* help = form_->findChild<QAction*>("Help2");
  EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
  help->trigger();
  ASSERT_EQ(ui_->opened.size(), 1u);
  EXPECT_EQ(ui_->opened[0].path(), "/help/braceform/");
  EXPECT_EQ(ui_->opened[0].scheme(), "http");
  ui_->openSucceeds = false;  // no browser: nothing is reported
  help->trigger();
  EXPECT_TRUE(reports_.empty());
  EXPECT_TRUE(ui_->boxes.empty());

  const struct {
    const char* product;
    const char* page;
  } names[] = {{"Braceform", "/help/braceform/"},
               {"Brace Form Pro", "/help/brace-form-pro/"},
               {"\u00C9DIT \u00DCber", "/help/\u00C9dit-\u00DCber/"}};  // only A to Z fold
  for (const auto& n : names) {
    EXPECT_TRUE(OnlineHelpAddress(QString::fromUtf8(n.product)).endsWith(QString::fromUtf8(n.page)))
        << n.product;
  }
}

}  // namespace
}  // namespace braceform::testing
