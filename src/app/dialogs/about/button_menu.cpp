#include "button_menu.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMenu>
#include <utility>

namespace braceform {

namespace {

qint64 MonotonicMilliseconds() {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

}  // namespace

ButtonMenu::ButtonMenu(Clock clock, Runner run)
    : clock_(clock ? std::move(clock) : Clock(MonotonicMilliseconds)),
      run_(run ? std::move(run) : Runner([](QMenu* menu, const QPoint& at) { menu->exec(at); })) {}

bool ButtonMenu::Show(QAbstractButton* button, QMenu* menu) {
  if (button == nullptr || menu == nullptr) return false;
  if (button == lastButton_ && menu == lastMenu_ && clock_() - closedAt_ < kReopenDelay) {
    lastButton_.clear();
    lastMenu_.clear();
    return false;
  }
  run_(menu, button->mapToGlobal(QPoint(0, button->height())));
  closedAt_ = clock_();
  lastButton_ = button;
  lastMenu_ = menu;
  return true;
}

}  // namespace braceform
