// Window test: the shared main creates the QApplication; the fixture creates one (offscreen)
// only when this file runs under a plain gtest main.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "dialogs/find_dialog.h"

namespace braceform {
namespace {

class FindDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "test_find_dialog";
    static char* argv[] = {arg0, nullptr};
    new QApplication(argc, argv);
  }
};

TEST_F(FindDialogTest, StartsModelessWithMatchCaseOff) {
  FindDialog dialog;
  dialog.show();
  EXPECT_FALSE(dialog.isModal());
  EXPECT_FALSE(dialog.matchCase());
  EXPECT_EQ(dialog.matchCaseBox()->text(), QStringLiteral("Match case"));
  EXPECT_FALSE(dialog.findNextButton()->isEnabled());  // nothing to find yet
}

TEST_F(FindDialogTest, FindNextAsksWithTextAndMatchCaseAndStaysOpen) {
  FindDialog dialog;
  dialog.show();
  QSignalSpy spy(&dialog, &FindDialog::findRequested);
  dialog.textEdit()->setText(QStringLiteral("abc"));
  dialog.findNextButton()->click();
  dialog.matchCaseBox()->setChecked(true);
  dialog.findNextButton()->click();
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy[0][0].toString(), QStringLiteral("abc"));
  EXPECT_FALSE(spy[0][1].toBool());
  EXPECT_TRUE(spy[1][1].toBool());
  EXPECT_TRUE(dialog.isVisible());

  dialog.closeButton()->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(spy.count(), 2);
}

}  // namespace
}  // namespace braceform
