#include "ui_helpers.h"

#include <QApplication>
#include <QBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSvgRenderer>
#include <memory>
#include <vector>

#include "i18n/translate.h"

// Resources in a static library are registered only when asked for by name.
static void InitResources() {
  Q_INIT_RESOURCE(icons);
  Q_INIT_RESOURCE(flags);
  Q_INIT_RESOURCE(about);
}

namespace braceform {

void EnsureResources() {
  static const bool resources = (InitResources(), true);
  (void)resources;
}

QIcon SvgIcon(const QString& resource) {
  EnsureResources();
  QSvgRenderer renderer(resource);
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64, 96, 128, 256}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon ProgramIcon() { return SvgIcon(QStringLiteral(":/about/app-icon.svg")); }

QIcon Icon(const char* themeName, const char* bundled) {
  EnsureResources();
  return QIcon::fromTheme(QString::fromLatin1(themeName),
                          QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(bundled))));
}

QFont PixelFont(const char* family, double pixels) {
  QFont font(QString::fromLatin1(family));
  font.setPointSizeF(pixels * 72.0 / 96.0);
  return font;
}

QPushButton* AddButton(QBoxLayout* layout, const char* name, const QString& caption,
                       const QIcon& icon, QSize size) {
  auto* button = new QPushButton(icon, caption);
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedSize(size);
  button->setIconSize(QSize(24, 24));
  layout->addWidget(button);
  return button;
}

QString Translated(const char* english) { return QString::fromStdString(TranslateText(english)); }

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

// The window system's input stays queued under ExcludeUserInputEvents; input that was
// posted as an event is held here and posted again afterwards, in its order.
class UserInputHold : public QObject {
 public:
  UserInputHold() { QCoreApplication::instance()->installEventFilter(this); }
  ~UserInputHold() override {
    QCoreApplication::instance()->removeEventFilter(this);
    for (auto& [target, event] : held_) {
      if (target) QCoreApplication::postEvent(target, event.release());
    }
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsUserInput(event->type())) return false;
    held_.emplace_back(QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone()));
    return true;
  }

 private:
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

}  // namespace

void ProcessPendingEventsOnce() {
  UserInputHold hold;
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace braceform
