#pragma once
// The feedback dialog: a like or dislike mark, a message and an optional address, sent to
// the maker's server.
#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace braceform {

struct AppContext;

class FeedbackForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxFeedback = 10000;
  static constexpr int kMaxEmail = 100;
  static constexpr int kTimeoutMs = 3000;

  explicit FeedbackForm(AppContext& context, QWidget* parent = nullptr);
  ~FeedbackForm() override;

  QFrame* likePanel() const { return panel4_; }
  QFrame* dislikePanel() const { return panel5_; }
  QPlainTextEdit* memo() const { return memo1_; }
  QLineEdit* email() const { return edit1_; }
  QPushButton* sendButton() const { return bitBtn1_; }
  bool sending() const { return sending_; }
  static bool IsSelected(const QFrame* panel);

  void Image1MouseDown();
  void Image2MouseDown();
  void BitBtn1Click();

 signals:
  // After a reply or a failure has been shown.
  void sendFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  QFrame* MarkPanel(const char* name, const char* picture);
  static void SetSelected(QFrame* panel, bool selected);
  void SendFinished(bool delivered);
  void StopSending();

  AppContext& context_;
  QFrame* panel4_;
  QFrame* panel5_;
  QLabel* label1_;
  QLabel* label2_;
  QLabel* label3_;
  QPlainTextEdit* memo1_;
  QLineEdit* edit1_;
  QPushButton* bitBtn1_;
  bool sending_ = false;
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::thread sender_;
};

}  // namespace braceform
