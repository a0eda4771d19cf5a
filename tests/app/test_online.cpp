// The update check in the window, the update notification window and the feedback dialog,
// against the local stand-in for the maker's server.
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app_test_util.h"
#include "dialogs/feedback_form.h"
#include "dialogs/new_ver.h"
#include "support/maker_server.h"
#include "version_info.h"

namespace braceform::testing {
namespace {

bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(10);
  }
  return true;
}

class OnlineTest : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << "scripts/maker-server did not start";
    ::setenv("BRACEFORM_CA_FILE", server_.Certificate().c_str(), 1);
    UseServer(server_.HttpsHost());
    WindowTest::SetUp();
  }
  void TearDown() override {
    WindowTest::TearDown();
    ::unsetenv("BRACEFORM_SERVER");
    ::unsetenv("BRACEFORM_CA_FILE");
  }
  static void UseServer(const std::string& host) { ::setenv("BRACEFORM_SERVER", host.c_str(), 1); }

  QAction* UpdateNotifications() const {
    return form_->findChild<QAction*>(QStringLiteral("UpdateNotifications1"));
  }
  // Ticks the check's timer until it has applied the results.
  bool RunUpdateCheck() {
    form_->timerChecker()->stop();
    form_->TimerCheckerTimer();
    return WaitUntil([this] {
      form_->TimerCheckerTimer();
      return UpdateNotifications()->isEnabled();
    });
  }

  MakerServer server_;
};

TEST_F(OnlineTest, NewerVersionShowsTheAnnouncementAndTheNotificationWindow) {
  server_.Configure(R"({"version": "2.1", "url": "https://dl.example/braceform.deb",)"
                    R"( "important": "<b>Maintenance</b> tonight"})");
  MakeForm({QStringLiteral("braceform")});
  EXPECT_FALSE(UpdateNotifications()->isEnabled());
  ASSERT_TRUE(RunUpdateCheck());
  EXPECT_TRUE(UpdateNotifications()->isChecked());
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(ui_->boxes[0].caption, "IMPORTANT");
  EXPECT_EQ(ui_->boxes[0].text, "<b>Maintenance</b> tonight");
  ASSERT_NE(form_->newVer(), nullptr);
  EXPECT_EQ(form_->newVer()->link()->text(), "Click to download Braceform 2.1");
  EXPECT_EQ(form_->newVer()->link()->textFormat(), Qt::PlainText);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].find(R"([["cmd", "check"], ["appname", "TARNVEX - Braceform"], )"
                             R"(["version", "2.0"], ["os", )"),
            std::string::npos)
      << requests[0];
  EXPECT_EQ(context_->settings->Value("LastUpdateCheckCount").toString(), "1");
  EXPECT_EQ(context_->settings->Value("CurrentVersion").toString(), "2.1");
}

TEST_F(OnlineTest, NotificationsOffSendNothingAndTheItemShowsUnchecked) {
  ui_ = std::make_shared<FakeUi>();
  form_.reset();
  context_ = std::make_unique<AppContext>(MakeTestContext(dir_.path(), ui_));
  context_->settings->SetValue(QStringLiteral("ShowUpdate"), QStringLiteral("0"));
  form_ = std::make_unique<AppForm>(*context_, QStringList{QStringLiteral("braceform")});
  ASSERT_TRUE(RunUpdateCheck());
  EXPECT_FALSE(UpdateNotifications()->isChecked());
  EXPECT_EQ(form_->newVer(), nullptr);
  EXPECT_TRUE(server_.Requests().empty());

  UpdateNotifications()->trigger();
  EXPECT_EQ(context_->settings->Value("ShowUpdate").toString(), "1");
  UpdateNotifications()->trigger();
  EXPECT_EQ(context_->settings->Value("ShowUpdate").toString(), "0");
}

TEST_F(OnlineTest, WithoutServerTheCheckEndsQuietly) {
  ::setenv("BRACEFORM_SERVER", "", 1);
  MakeForm({QStringLiteral("braceform")});
  ASSERT_TRUE(RunUpdateCheck());
  EXPECT_EQ(form_->newVer(), nullptr);
  EXPECT_TRUE(ui_->boxes.empty());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(OnlineTest, ClosingDuringACheckDoesNotWaitForTheTimeOuts) {
  server_.Configure(R"({"delay": 30})");
  MakeForm({QStringLiteral("braceform")});
  form_->TimerCheckerTimer();
  ASSERT_TRUE(WaitUntil([this] { return !server_.Requests().empty(); }));
  QElapsedTimer clock;
  clock.start();
  form_.reset();
  EXPECT_LT(clock.elapsed(), 2500);
}

class NewVerTest : public WindowTest {
 protected:
  std::unique_ptr<NewVer> Make(const QString& url = QStringLiteral("https://dl.example/x.deb")) {
    auto w = std::make_unique<NewVer>(*context_, QStringLiteral("2.1"), url, nullptr);
    w->TimerStartTimer();
    WaitUntil([&] { return w->isVisible() && w->size() == QSize(320, 68); }, 2000);
    return w;
  }
  static void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
};

TEST_F(NewVerTest, SitsTopRightAndCountsDownElevenSeconds) {
  auto w = Make();
  EXPECT_TRUE(w->isVisible());
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(w->pos(), QPoint(screen.right() + 1 - 320 - 5, screen.top() + 5));
  EXPECT_EQ(w->timerClose()->interval(), 1000);
  for (int i = 0; i < 10; ++i) w->TimerCloseTimer();
  EXPECT_TRUE(w->timerClose()->isActive());
  w->TimerCloseTimer();
  EXPECT_FALSE(w->timerClose()->isActive());
  EXPECT_TRUE(WaitUntil([&] { return !w->isVisible(); }, 2000));
}

TEST_F(NewVerTest, CloseButtonAndLinkCloseAtOnce) {
  auto w = Make();
  w->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(ui_->opened.empty());

  auto v = Make();
  QTest::mouseClick(v->link(), Qt::LeftButton);
  EXPECT_FALSE(v->isVisible());
  ASSERT_EQ(ui_->opened.size(), 1u);
  EXPECT_EQ(ui_->opened[0].toString(), "https://dl.example/x.deb");
}

TEST_F(NewVerTest, OnlyWebAddressesAreOpened) {
  struct Case {
    const char* url;
    bool own;
  } cases[] = {
      {"https://dl.example/x.deb", true},
      {"HTTP://dl.example/x", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"/usr/bin/xterm", false},
      {"", false},
      {"https://", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DownloadAddress(QString::fromLatin1(c.url)),
              c.own ? QString::fromLatin1(c.url) : SiteAddress() + "/")
        << c.url;
  }
}

TEST_F(NewVerTest, LeftAndMiddleButtonsDragTheRightOneDoesNot) {
  auto w = Make();
  QWidget* image = w->findChild<QWidget*>(QStringLiteral("Image1"));
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
    const QPoint before = w->pos();
    Mouse(image, QEvent::MouseButtonPress, button, QPoint(10, 10));
    Mouse(image, QEvent::MouseMove, button, QPoint(30, 25));
    Mouse(image, QEvent::MouseButtonRelease, button, QPoint(30, 25));
    EXPECT_EQ(w->pos() - before, button == Qt::RightButton ? QPoint() : QPoint(20, 15)) << button;
  }
  const QPoint before = w->pos();  // the link does not drag
  Mouse(w->link(), QEvent::MouseButtonPress, Qt::MiddleButton, QPoint(5, 5));
  Mouse(w->link(), QEvent::MouseMove, Qt::MiddleButton, QPoint(40, 5));
  EXPECT_EQ(w->pos(), before);
}

class FeedbackTest : public OnlineTest {
 protected:
  std::unique_ptr<FeedbackForm> Open() {
    auto d = std::make_unique<FeedbackForm>(*context_);
    d->show();
    return d;
  }
  bool Send(FeedbackForm& d) {
    d.sendButton()->click();
    return WaitUntil([&] { return !d.sending(); });
  }
  static void Press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton, {}, QPoint(3, 3)); }
};

TEST_F(FeedbackTest, EmptyMessageBeepsAndSendsNothing) {
  auto d = Open();
  EXPECT_EQ(d->windowTitle(), "Braceform feedback");
  Press(d->likePanel());
  d->memo()->setPlainText(QStringLiteral("  \n\t \r\n "));
  d->sendButton()->click();
  EXPECT_EQ(ui_->beeps, 1);
  EXPECT_TRUE(ui_->boxes.empty());
  EXPECT_FALSE(d->sending());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(FeedbackTest, MarksAreExclusiveAndToggle) {
  auto d = Open();
  Press(d->likePanel());
  EXPECT_TRUE(FeedbackForm::IsSelected(d->likePanel()));
  Press(d->dislikePanel()->findChild<QLabel*>(QStringLiteral("Panel5Image")));
  EXPECT_FALSE(FeedbackForm::IsSelected(d->likePanel()));
  EXPECT_TRUE(FeedbackForm::IsSelected(d->dislikePanel()));
  Press(d->dislikePanel());
  EXPECT_FALSE(FeedbackForm::IsSelected(d->dislikePanel()));
  QTest::mousePress(d->likePanel(), Qt::RightButton, {}, QPoint(3, 3));
  EXPECT_FALSE(FeedbackForm::IsSelected(d->likePanel()));
}

TEST_F(FeedbackTest, InvalidAddressIsRefusedBeforeSending) {
  auto d = Open();
  d->memo()->setPlainText(QStringLiteral("Fine"));
  d->email()->setText(QStringLiteral("anna@localhost"));
  d->sendButton()->click();
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(ui_->boxes[0].caption, "Failure");
  EXPECT_EQ(ui_->boxes[0].text, "Invalid e-mail address!");
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(FeedbackTest, DeliveredFeedbackIsReportedAndClosesTheDialog) {
  server_.Configure(R"({"feedback_reply": "  OK\r\n"})");
  auto d = Open();
  Press(d->likePanel());
  d->memo()->setPlainText(QStringLiteral("  Fast and small.\n"));
  d->email()->setText(QStringLiteral("   "));
  ASSERT_TRUE(Send(*d));
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Information);
  EXPECT_EQ(ui_->boxes[0].caption, "Success");
  EXPECT_EQ(ui_->boxes[0].text, "Your feedback is received.\n\nThank you!");
  EXPECT_EQ(d->result(), QDialog::Accepted);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].find(R"(["version", "2.0"], ["feedback", "I like it!\rFast and small."]])"),
            std::string::npos)
      << requests[0];
}

TEST_F(FeedbackTest, FailureKeepsTheDialogAndItsText) {
  struct Case {
    const char* name;
    const char* config;
    std::string host;
  } cases[] = {
      {"lower-case ok", R"({"feedback_reply": "ok"})", server_.HttpsHost()},
      {"server down", R"({"feedback_reply": "OK"})", "127.0.0.1:1"},
      {"no server configured", R"({"feedback_reply": "OK"})", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_->boxes.clear();
    server_.Configure(c.config);
    UseServer(c.host);
    auto d = Open();
    d->memo()->setPlainText(QStringLiteral("Text"));
    d->email()->setText(QStringLiteral("anna@example.com"));
    ASSERT_TRUE(Send(*d));
    ASSERT_EQ(ui_->boxes.size(), 1u);
    EXPECT_EQ(ui_->boxes[0].caption, "Failure");
    EXPECT_EQ(
        ui_->boxes[0].text,
        "Something went wrong. Your feedback could not be delivered.\n\nPlease try again later.");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->memo()->toPlainText(), "Text");
    EXPECT_TRUE(d->sendButton()->isEnabled());
  }
}

TEST_F(FeedbackTest, SlowServerLeavesTheWindowPaintingWithItsControlsDisabled) {
  server_.Configure(R"({"delay": 1})");
  auto d = Open();
  d->memo()->setPlainText(QStringLiteral("Text"));
  d->sendButton()->click();
  EXPECT_TRUE(d->sending());
  EXPECT_FALSE(d->memo()->isEnabled());
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(50);
  ASSERT_TRUE(WaitUntil([&] { return !d->sending(); }));
  EXPECT_GE(ticks, 10);  // the event loop ran while the server took its second
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ui_->boxes.size(), 1u);
}

TEST_F(FeedbackTest, EscapeClosesWithoutSendingOrBeeping) {
  auto d = Open();
  d->memo()->setPlainText(QStringLiteral("Text"));
  QTest::keyClick(d->email(), Qt::Key_Escape);
  EXPECT_EQ(d->result(), QDialog::Rejected);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(ui_->beeps, 0);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(OnlineTest, FeedbackButtonOpensTheDialog) {
  bool opened = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FeedbackForm*>(QApplication::activeModalWidget());
    opened = dialog != nullptr;
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  Click("Button1");
  EXPECT_TRUE(opened);
}

}  // namespace
}  // namespace braceform::testing
