#pragma once
// The about dialog: name, version, the maker's logo and address, the "Info" menu with its
// three documents, falling characters behind the panel and a picture hidden under it.
#include <QDialog>
#include <QImage>
#include <QRegion>
#include <functional>

#include "app_context.h"
#include "dialogs/about/button_menu.h"
#include "dialogs/about/matrix_rain.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace braceform {

// Everything the dialog takes from its surroundings that a test wants to hold fixed; an
// empty member stands for the program's own.
struct AboutBoxSeams {
  std::function<QString(const char* english)> translate;  // TranslateText
  RandomSource random;                                    // seeded from the clock
  ButtonMenu::Clock clock;                                // a monotonic clock
  ButtonMenu::Runner runMenu;                             // QMenu::exec
};

// The slide's tick in milliseconds: 5 x systemDpi / windowDpi, halves to even, at least 1.
int SlideInterval(int systemDpi, int windowDpi);

// license.txt beside the executable, else where an installation puts it
// (<exe>/../share/braceform/license.txt); empty when neither exists.
QString LicenseFile(const QString& exePath);

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 446;
  static constexpr int kClientHeight = 374;
  static constexpr int kStepInterval = 50;
  static constexpr int kSlideStep = 5;

  explicit AboutBox(AppContext& context, QWidget* parent = nullptr, AboutBoxSeams seams = {});
  ~AboutBox() override;

  void BitBtn1Click();
  void BitBtn2Click();
  void Label5Click();
  void Credits1Click();
  void Howtouninstall1Click();
  void LicensePrivacyPolicy1Click();
  void Image1DblClick();
  void ImageEggDblClick();
  void TimerEggTimer();
  void tmTimerTimer();
  void FormAfterMonitorDpiChanged();

  QFrame* panel1() const { return panel1_; }
  QFrame* panelEgg() const { return panelEgg_; }
  QTimer* timerEgg() const { return timerEgg_; }
  QTimer* animationTimer() const { return tmTimer_; }
  QMenu* popupMenu1() const { return popupMenu1_; }
  const MatrixRain& rain() const { return rain_; }
  const QImage& backBuffer() const { return backBuffer_; }
  // What the last animation step asked to be repainted.
  const QRegion& lastStepRegion() const { return lastStepRegion_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateLayout();
  void FormCreate();
  void HighDPIImageYukle();
  void StartMatrix();
  void ResizeMatrix();
  void ClearBackBuffer();
  bool FormMouseDown(QMouseEvent* event);
  void FormMouseMove(QMouseEvent* event);
  void FormMouseUp();
  bool BitBtnKeyDown(int key);
  QString Text(const char* english) const;
  void Open(const QString& address);

  AppContext& context_;
  AboutBoxSeams seams_;
  ButtonMenu buttonMenu_;
  MatrixRain rain_;

  QImage backBuffer_;
  QRegion lastStepRegion_;
  int bitmapWidth_ = 0;
  int bitmapHeight_ = 0;
  bool dragging_ = false;
  bool dragMoved_ = false;
  QPoint dragFrom_;  // dx, dy: the last mouse position on the screen
  bool screenWatched_ = false;

  QFrame* panel1_ = nullptr;
  QWidget* image2_ = nullptr;
  QFrame* bevel1_ = nullptr;
  QWidget* virtualImage1_ = nullptr;
  QLabel* label2_ = nullptr;
  QPushButton* bitBtn1_ = nullptr;
  QPushButton* bitBtn2_ = nullptr;
  QLabel* label5_ = nullptr;
  QFrame* panelEgg_ = nullptr;
  QWidget* imageEgg_ = nullptr;
  QTimer* tmTimer_ = nullptr;
  QTimer* timerEgg_ = nullptr;
  QMenu* popupMenu1_ = nullptr;
  QAction* credits1_ = nullptr;
  QAction* howtouninstall1_ = nullptr;
  QAction* licensePrivacyPolicy1_ = nullptr;
};

}  // namespace braceform
