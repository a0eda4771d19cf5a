#include "dialogs/new_ver.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app_context.h"
#include "ui_helpers.h"
#include "version_info.h"

namespace braceform {

QString DownloadAddress(const QString& downloadURL) {
  const QUrl url(downloadURL, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
      !url.host().isEmpty()) {
    return downloadURL;
  }
  return SiteAddress() + QLatin1Char('/');
}

NewVer::NewVer(AppContext& context, const QString& serverVersion, const QString& downloadURL,
               QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      context_(context),
      mainWindow_(mainWindow),
      downloadURL_(downloadURL) {
  setObjectName(QStringLiteral("NewVer"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(320, 68);
  setFont(PixelFont("Tahoma", 11));

  auto* panel1 = new QFrame(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel1->setGeometry(rect());
  auto* row = new QHBoxLayout(panel1);
  row->setContentsMargins(4, 4, 2, 4);
  row->setSpacing(4);
  image1_ = new QLabel(panel1);
  image1_->setObjectName(QStringLiteral("Image1"));
  image1_->setFixedSize(60, 60);
  image1_->setAlignment(Qt::AlignCenter);
  row->addWidget(image1_);

  auto* panel2 = new QWidget(panel1);
  panel2->setObjectName(QStringLiteral("Panel2"));
  auto* column = new QVBoxLayout(panel2);
  column->setContentsMargins(3, 3, 3, 3);
  column->setSpacing(0);
  label1_ = new QLabel(panel2);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label1_->setTextFormat(Qt::PlainText);
  QFont bold = PixelFont("Tahoma", 13);
  bold.setBold(true);
  label1_->setFont(bold);
  column->addWidget(label1_);
  label2_ = new QLabel(panel2);
  label2_->setObjectName(QStringLiteral("Label2"));
  label2_->setAlignment(Qt::AlignCenter);
  label2_->setWordWrap(true);
  label2_->setTextFormat(Qt::PlainText);  // the version comes from the server
  QFont link = PixelFont("Tahoma", 13);
  link.setUnderline(true);
  label2_->setFont(link);
  label2_->setCursor(Qt::PointingHandCursor);
  column->addWidget(label2_, 1);
  row->addWidget(panel2, 1);

  auto* panel3 = new QWidget(panel1);
  panel3->setObjectName(QStringLiteral("Panel3"));
  panel3->setFixedWidth(22);
  button1_ = new QPushButton(panel3);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(0, 0, 22, 22);
  button1_->setIcon(QIcon(QStringLiteral(":/icons/close.png")));
  button1_->setIconSize(QSize(16, 16));
  button1_->setFlat(true);
  button1_->setCursor(Qt::PointingHandCursor);
  row->addWidget(panel3);

  for (QWidget* w :
       {static_cast<QWidget*>(this), static_cast<QWidget*>(panel1), static_cast<QWidget*>(image1_),
        static_cast<QWidget*>(label1_), static_cast<QWidget*>(panel3)}) {
    w->installEventFilter(this);
  }
  label2_->installEventFilter(this);
  // The link and the middle do not drag: their presses stop there.
  panel2->setAttribute(Qt::WA_NoMousePropagation);
  label2_->setAttribute(Qt::WA_NoMousePropagation);
  connect(button1_, &QPushButton::clicked, this, &NewVer::Button1Click);

  timerStart_ = new QTimer(this);
  timerStart_->setInterval(1);
  connect(timerStart_, &QTimer::timeout, this, &NewVer::TimerStartTimer);
  timerClose_ = new QTimer(this);
  timerClose_->setInterval(1000);
  connect(timerClose_, &QTimer::timeout, this, &NewVer::TimerCloseTimer);
  timerLink_ = new QTimer(this);
  timerLink_->setInterval(100);
  connect(timerLink_, &QTimer::timeout, this, &NewVer::TimerLinkTimer);

  FormCreate(serverVersion);
  timerStart_->start();
  timerClose_->start();
  timerLink_->start();
}

void NewVer::FormCreate(const QString& serverVersion) {
  EnsureResources();
  image1_->setPixmap(ProgramIcon().pixmap(48, 48));
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.left() + s.width() - width() - 5, s.top() + 5);
  }
  label1_->setText(Translated("UPDATE AVAILABLE"));
  label2_->setText(Translated("Click to download") + QLatin1Char(' ') +
                   context_.identity.AppProductName + QLatin1Char(' ') + serverVersion);
}

void NewVer::Animate(bool grow) {
  const QRect full(pos(), size());
  const QRect point(full.center(), QSize(1, 1));
  auto* animation = new QPropertyAnimation(this, "geometry", this);
  animation->setDuration(100);
  animation->setStartValue(grow ? point : full);
  animation->setEndValue(grow ? full : point);
  if (!grow) {
    connect(animation, &QPropertyAnimation::finished, this, [this, full] {
      hide();
      setGeometry(full);
    });
  }
  // The fixed size would hold the geometry still while it changes.
  setMinimumSize(1, 1);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  connect(animation, &QPropertyAnimation::finished, this, [this] { setFixedSize(320, 68); });
  animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void NewVer::TimerStartTimer() {
  timerStart_->stop();
  show();
  Animate(true);
  if (mainWindow_) mainWindow_->activateWindow();
}

void NewVer::TimerCloseTimer() {
  if (--countdown_ > 0) return;
  timerClose_->stop();
  Animate(false);
}

void NewVer::TimerLinkTimer() {
  const QPoint at = label2_->mapFromGlobal(QCursor::pos());
  QPalette p = label2_->palette();
  p.setColor(QPalette::WindowText, label2_->rect().contains(at)
                                       ? palette().color(QPalette::Highlight)
                                       : palette().color(QPalette::WindowText));
  label2_->setPalette(p);
}

void NewVer::Label2Click() {
  context_.ui->OpenUrl(QUrl(DownloadAddress(downloadURL_)));
  close();
}

void NewVer::Button1Click() { close(); }

void NewVer::FormMouseDown(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) return;
  lastCursor_ = event->globalPosition().toPoint();
  dragging_ = true;
}

void NewVer::FormMouseMove(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint now = event->globalPosition().toPoint();
  move(pos() + now - lastCursor_);
  lastCursor_ = now;
}

void NewVer::FormMouseUp() { dragging_ = false; }

bool NewVer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label2_) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      Label2Click();
      return true;
    }
    return QWidget::eventFilter(watched, event);
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      FormMouseDown(static_cast<QMouseEvent*>(event));
      break;
    case QEvent::MouseMove:
      FormMouseMove(static_cast<QMouseEvent*>(event));
      break;
    case QEvent::MouseButtonRelease:
      FormMouseUp();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace braceform
