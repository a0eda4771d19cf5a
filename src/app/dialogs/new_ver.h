#pragma once
// The small window at the screen's top right that offers a newer version for a few seconds.
#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace braceform {

struct AppContext;

// The address the download link opens: the server's when it is a web address, else the
// maker's home page (a reply must not make the program open files or scripts).
QString DownloadAddress(const QString& downloadURL);

class NewVer : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kCountdown = 11;

  NewVer(AppContext& context, const QString& serverVersion, const QString& downloadURL,
         QWidget* mainWindow);

  QLabel* link() const { return label2_; }
  QTimer* timerClose() const { return timerClose_; }
  QTimer* timerLink() const { return timerLink_; }
  int countdown() const { return countdown_; }

  void TimerStartTimer();
  void TimerCloseTimer();
  void TimerLinkTimer();
  void Label2Click();
  void Button1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate(const QString& serverVersion);
  void FormMouseDown(QMouseEvent* event);
  void FormMouseMove(QMouseEvent* event);
  void FormMouseUp();
  // Grows from or shrinks to the centre over about 100 ms.
  void Animate(bool grow);

  AppContext& context_;
  QWidget* mainWindow_;
  QString downloadURL_;
  QLabel* image1_;
  QLabel* label1_;
  QLabel* label2_;
  QPushButton* button1_;
  QTimer* timerStart_;
  QTimer* timerClose_;
  QTimer* timerLink_;
  int countdown_ = kCountdown;
  bool dragging_ = false;
  QPoint lastCursor_;
};

}  // namespace braceform
