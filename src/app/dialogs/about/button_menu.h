#pragma once
// A menu dropped down under the button that opens it. The click on the button that closes
// the open menu reaches the button as well; without a memory of the last close it would
// open the menu again at once.
#include <QPoint>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QMenu;

namespace braceform {

class ButtonMenu {
 public:
  using Clock = std::function<qint64()>;  // milliseconds on a monotonic clock
  // Shows the menu at a screen position and returns once it has closed.
  using Runner = std::function<void(QMenu* menu, const QPoint& topLeft)>;

  static constexpr qint64 kReopenDelay = 100;

  explicit ButtonMenu(Clock clock = {}, Runner run = {});

  // ShowButtonMenu: answers whether the menu was shown.
  bool Show(QAbstractButton* button, QMenu* menu);

 private:
  Clock clock_;
  Runner run_;
  QPointer<QAbstractButton> lastButton_;
  QPointer<QMenu> lastMenu_;
  qint64 closedAt_ = 0;
};

}  // namespace braceform
