#include "about_box.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cmath>
#include <utility>

#include "ui_helpers.h"

namespace braceform {

namespace {

const QColor kLime(0, 255, 0);

// A picture drawn from its vector source at every paint, so it is sharp at any scale.
class SvgPicture : public QWidget {
 public:
  SvgPicture(const QString& resource, QWidget* parent) : QWidget(parent), renderer_(resource) {}
  std::function<void()> onDoubleClick;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer_.render(&painter, QRectF(rect()));
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (onDoubleClick) onDoubleClick();
    event->accept();
  }

 private:
  QSvgRenderer renderer_;
};

QFrame* BlackPanel(const char* name, QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::white);
  panel->setPalette(palette);
  panel->setAutoFillBackground(true);
  return panel;
}

QLabel* PanelLabel(const char* name, QWidget* parent, QFont font, const QColor& colour) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QPushButton* PanelButton(const char* name, QWidget* parent, QRect geometry) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setPalette(QGuiApplication::palette());  // the system's look, not the black panel's
  button->setGeometry(geometry);
  return button;
}

// "About %s": the first %s stands for the product name, as Format would fill it.
QString FormatName(QString pattern, const QString& name) {
  const qsizetype at = pattern.indexOf(QLatin1String("%s"));
  if (at >= 0) pattern.replace(at, 2, name);
  return pattern;
}

int DpiOfScale(qreal ratio) { return static_cast<int>(std::lround(96.0 * ratio)); }

}  // namespace

int SlideInterval(int systemDpi, int windowDpi) {
  if (systemDpi <= 0 || windowDpi <= 0) return 5;
  const long long numerator = 5LL * systemDpi;
  long long interval = numerator / windowDpi;
  const long long twiceRest = 2 * (numerator % windowDpi);
  if (twiceRest > windowDpi || (twiceRest == windowDpi && interval % 2 != 0)) ++interval;
  return interval < 1 ? 1 : static_cast<int>(interval);
}

QString LicenseFile(const QString& exePath) {
  const QDir folder = QFileInfo(exePath).absoluteDir();
  for (const QString& candidate :
       {folder.filePath(QStringLiteral("license.txt")),
        QDir::cleanPath(folder.filePath(QStringLiteral("../share/braceform/license.txt")))}) {
    if (QFileInfo(candidate).isFile()) return candidate;
  }
  return {};
}

AboutBox::AboutBox(AppContext& context, QWidget* parent, AboutBoxSeams seams)
    : QDialog(parent),
      context_(context),
      seams_(std::move(seams)),
      buttonMenu_(seams_.clock, seams_.runMenu),
      rain_("trn", seams_.random) {
  EnsureResources();
  CreateLayout();
  FormCreate();
}

AboutBox::~AboutBox() = default;

QString AboutBox::Text(const char* english) const {
  return seams_.translate ? seams_.translate(english) : Translated(english);
}

void AboutBox::CreateLayout() {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel comes from the back buffer
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  setPalette(palette);
  QScreen* screen = parent() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());

  panel1_ = BlackPanel("Panel1", this);
  panel1_->setGeometry(48, 42, 350, 291);
  panel1_->setFont(PixelFont("Tahoma", 11));

  auto* logo = new SvgPicture(QStringLiteral(":/about/tarnvex-logo-big-ai-black.svg"), panel1_);
  logo->setObjectName(QStringLiteral("Image2"));
  logo->setGeometry(3, 0, 344, 105);
  image2_ = logo;

  bevel1_ = new QFrame(panel1_);
  bevel1_->setObjectName(QStringLiteral("Bevel1"));
  bevel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  QPalette bevel = bevel1_->palette();
  bevel.setColor(QPalette::Light, QColor(160, 160, 160));
  bevel.setColor(QPalette::Dark, QColor(64, 64, 64));
  bevel1_->setPalette(bevel);
  bevel1_->setGeometry(9, 122, 34, 34);

  auto* icon = new SvgPicture(QStringLiteral(":/about/app-icon.svg"), panel1_);
  icon->setObjectName(QStringLiteral("VirtualImage1"));
  icon->setGeometry(10, 123, 32, 32);
  icon->onDoubleClick = [this] { Image1DblClick(); };
  virtualImage1_ = icon;

  label2_ = PanelLabel("Label2", panel1_, PixelFont("Tahoma", 16), Qt::white);
  label2_->setGeometry(49, 122, 290, 40);
  label2_->setWordWrap(true);
  label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  bitBtn1_ = PanelButton("BitBtn1", panel1_, QRect(49, 226, 122, 33));
  bitBtn2_ = PanelButton("BitBtn2", panel1_, QRect(177, 226, 122, 33));
  bitBtn2_->setIcon(SvgIcon(QStringLiteral(":/about/arrow.svg")));
  bitBtn2_->setIconSize(QSize(16, 16));
  bitBtn2_->setLayoutDirection(Qt::RightToLeft);  // puts the arrow after the caption
  connect(bitBtn1_, &QPushButton::clicked, this, &AboutBox::BitBtn1Click);
  connect(bitBtn2_, &QPushButton::clicked, this, &AboutBox::BitBtn2Click);

  QFont linkFont = PixelFont("Tahoma", 13);
  linkFont.setUnderline(true);
  label5_ = PanelLabel("Label5", panel1_, linkFont, kLime);
  label5_->setGeometry(0, 291 - 22, 350, 20);
  label5_->setAlignment(Qt::AlignCenter);
  label5_->setCursor(Qt::PointingHandCursor);

  panelEgg_ = BlackPanel("PanelEgg", this);
  panelEgg_->resize(324, 220);
  panelEgg_->hide();
  auto* egg = new SvgPicture(QStringLiteral(":/about/cat.svg"), panelEgg_);
  egg->setObjectName(QStringLiteral("ImageEgg"));
  egg->setGeometry(2, 3, 320, 214);
  egg->onDoubleClick = [this] { ImageEggDblClick(); };
  imageEgg_ = egg;
  panel1_->raise();

  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  credits1_ = popupMenu1_->addAction(QString());
  credits1_->setObjectName(QStringLiteral("Credits1"));
  howtouninstall1_ = popupMenu1_->addAction(QString());
  howtouninstall1_->setObjectName(QStringLiteral("Howtouninstall1"));
  licensePrivacyPolicy1_ = popupMenu1_->addAction(QString());
  licensePrivacyPolicy1_->setObjectName(QStringLiteral("LicensePrivacyPolicy1"));
  connect(credits1_, &QAction::triggered, this, &AboutBox::Credits1Click);
  connect(howtouninstall1_, &QAction::triggered, this, &AboutBox::Howtouninstall1Click);
  connect(licensePrivacyPolicy1_, &QAction::triggered, this, &AboutBox::LicensePrivacyPolicy1Click);

  tmTimer_ = new QTimer(this);
  tmTimer_->setObjectName(QStringLiteral("tmTimer"));
  connect(tmTimer_, &QTimer::timeout, this, &AboutBox::tmTimerTimer);
  timerEgg_ = new QTimer(this);
  timerEgg_->setObjectName(QStringLiteral("TimerEgg"));
  connect(timerEgg_, &QTimer::timeout, this, &AboutBox::TimerEggTimer);

  installEventFilter(this);
  for (QWidget* surface : std::initializer_list<QWidget*>{panel1_, image2_, bevel1_, virtualImage1_,
                                                          label2_, label5_, panelEgg_, imageEgg_})
    surface->installEventFilter(this);
  bitBtn1_->installEventFilter(this);
  bitBtn2_->installEventFilter(this);
}

void AboutBox::FormCreate() {
  StartMatrix();
  const AppIdentity& id = context_.identity;
  setWindowTitle(FormatName(Text("About %s"), id.AppProductName));
  label2_->setText(id.AppProductName + QLatin1Char(' ') + id.AppVersion);
  bitBtn1_->setText(Text("OK"));
  bitBtn2_->setText(Text("Info"));
  credits1_->setText(Text("Acknowledgements..."));
  howtouninstall1_->setText(Text("How to uninstall..."));
  licensePrivacyPolicy1_->setText(Text("License..."));
  const QString site = SiteAddress();
  const QString host = QUrl(site).host();
  label5_->setText(host.isEmpty() ? site : host);
  label5_->setToolTip(site);
  HighDPIImageYukle();
  panelEgg_->move((width() - panelEgg_->width()) / 2, (height() - panelEgg_->height()) / 2);
}

void AboutBox::HighDPIImageYukle() {
  image2_->update();
  imageEgg_->update();
  virtualImage1_->update();
}

// --- Falling characters ---------------------------------------------------------------

void AboutBox::StartMatrix() {
  const QSize outer = frameGeometry().size();
  bitmapWidth_ = outer.width();
  bitmapHeight_ = outer.height();
  rain_.Start(bitmapWidth_, bitmapHeight_);
  ClearBackBuffer();
  tmTimer_->start(kStepInterval);
}

void AboutBox::ResizeMatrix() {
  rain_.Resize(bitmapWidth_, bitmapHeight_);
  ClearBackBuffer();
}

void AboutBox::ClearBackBuffer() {
  const qreal ratio = devicePixelRatioF();
  backBuffer_ = QImage(size() * ratio, QImage::Format_RGB32);
  backBuffer_.setDevicePixelRatio(ratio);
  backBuffer_.fill(Qt::black);
  update();
}

void AboutBox::tmTimerTimer() {
  if (!qFuzzyCompare(backBuffer_.devicePixelRatio(), devicePixelRatioF())) StartMatrix();
  const std::vector<RainCell>& cells = rain_.Step();
  QPainter painter(&backBuffer_);
  QFont font = this->font();
  font.setPixelSize(MatrixRain::kCharHeight);
  font.setStyleStrategy(QFont::NoSubpixelAntialias);  // coloured glyphs keep their colour
  painter.setFont(font);
  const QRect client = rect();
  QRegion dirty;
  for (const RainCell& cell : cells) {
    const QRect box(cell.column * MatrixRain::kCharWidth, cell.row * MatrixRain::kCharHeight,
                    MatrixRain::kCharWidth, MatrixRain::kCharHeight);
    if (!box.intersects(client)) continue;
    painter.fillRect(box, Qt::black);
    if (!cell.erase) {
      painter.setPen(QColor(cell.colour.red, cell.colour.green, cell.colour.blue));
      painter.drawText(box, Qt::AlignCenter, QString(QLatin1Char(cell.character)));
    }
    dirty += box.intersected(client);
  }
  painter.end();
  lastStepRegion_ = dirty;
  update(dirty);
}

void AboutBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const qreal ratio = backBuffer_.devicePixelRatio();
  for (const QRect& area : event->region()) {
    painter.drawImage(
        area, backBuffer_,
        QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
  }
}

void AboutBox::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ResizeMatrix();
}

void AboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!screenWatched_ && windowHandle() != nullptr) {
    screenWatched_ = true;
    connect(windowHandle(), &QWindow::screenChanged, this, &AboutBox::FormAfterMonitorDpiChanged);
  }
}

void AboutBox::FormAfterMonitorDpiChanged() {
  StartMatrix();
  HighDPIImageYukle();
}

// --- The hidden picture --------------------------------------------------------------

void AboutBox::Image1DblClick() {
  if (timerEgg_->isActive()) return;
  panelEgg_->show();
  panelEgg_->stackUnder(panel1_);
  const QScreen* system = QGuiApplication::primaryScreen();
  const int systemDpi = DpiOfScale(system != nullptr ? system->devicePixelRatio() : 1.0);
  timerEgg_->start(SlideInterval(systemDpi, DpiOfScale(devicePixelRatioF())));
}

void AboutBox::TimerEggTimer() {
  panel1_->move(panel1_->x() + kSlideStep, panel1_->y());
  if (panel1_->x() > width()) timerEgg_->stop();
}

void AboutBox::ImageEggDblClick() {
  if (timerEgg_->isActive()) return;
  panelEgg_->hide();
  panel1_->move((width() - panel1_->width()) / 2, panel1_->y());
}

// --- Dragging by any surface ---------------------------------------------------------

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == bitBtn1_ || watched == bitBtn2_) {
    if (event->type() == QEvent::KeyPress)
      return BitBtnKeyDown(static_cast<QKeyEvent*>(event)->key());
    return false;
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return FormMouseDown(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
      FormMouseMove(static_cast<QMouseEvent*>(event));
      return dragging_;
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const bool click = dragging_ && !dragMoved_ && mouse->button() == Qt::LeftButton;
      FormMouseUp();
      if (click && watched == label5_ && label5_->rect().contains(mouse->position().toPoint()))
        Label5Click();
      return true;
    }
    default:
      return false;
  }
}

bool AboutBox::FormMouseDown(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) return false;
  dragFrom_ = event->globalPosition().toPoint();
  dragging_ = true;
  dragMoved_ = false;
  return true;
}

void AboutBox::FormMouseMove(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint now = event->globalPosition().toPoint();
  if (now != dragFrom_) {
    move(pos() + (now - dragFrom_));
    dragMoved_ = true;
  }
  dragFrom_ = now;
}

void AboutBox::FormMouseUp() { dragging_ = false; }

// --- Buttons, links and documents ----------------------------------------------------

bool AboutBox::BitBtnKeyDown(int key) {
  if (key != Qt::Key_Escape) return false;
  reject();
  return true;
}

void AboutBox::BitBtn1Click() { accept(); }

void AboutBox::BitBtn2Click() { buttonMenu_.Show(bitBtn2_, popupMenu1_); }

// Failures are not reported: there may simply be no browser.
void AboutBox::Open(const QString& address) { context_.ui->OpenUrl(QUrl(address)); }

void AboutBox::Label5Click() { Open(SiteAddress()); }

void AboutBox::Credits1Click() {
  Open(SiteAddress() + QStringLiteral("/blog/credits-and-acknowledgements/"));
}

void AboutBox::Howtouninstall1Click() {
  Open(PlainSiteAddress() + QStringLiteral("/blog/how-to-uninstall-tarnvex-software/"));
}

void AboutBox::LicensePrivacyPolicy1Click() {
  const QString license = LicenseFile(context_.exePath);
  if (license.isEmpty()) {
    context_.ui->ShowMessage(this, QMessageBox::Critical, Text("License"), Text("File not found!"));
    return;
  }
  context_.ui->OpenUrl(QUrl::fromLocalFile(license));
}

}  // namespace braceform
