#pragma once
// Everything the windows ask of the desktop that a test must not let through: modal
// dialogs and boxes, opening addresses and files, the beep. One interface, injected through
// the application context, so a test replaces all of it at once.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace braceform {

class UiServices {
 public:
  virtual ~UiServices() = default;
  // File dialogs: the last name chosen in the dialog comes in, the chosen name goes out
  // (empty when cancelled).
  virtual QString ChooseOpenFile(QWidget* parent, const QString& lastName) = 0;
  virtual QString ChooseSaveFile(QWidget* parent, const QString& lastName) = 0;
  // A message box with an OK button.
  virtual void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                           const QString& text) = 0;
  // A question with the given button captions, `defaultButton` the index of the default
  // one; answers the index of the button pressed, or -1 when the box was closed otherwise.
  virtual int Ask(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                  const QString& text, const QStringList& buttons, int defaultButton) = 0;
  // An address or a local file handed to the desktop's default program.
  virtual bool OpenUrl(const QUrl& url) = 0;
  virtual void Beep() = 0;
};

// The real desktop: Qt's dialogs and message boxes, QDesktopServices, QApplication::beep.
class DesktopUiServices : public UiServices {
 public:
  QString ChooseOpenFile(QWidget* parent, const QString& lastName) override;
  QString ChooseSaveFile(QWidget* parent, const QString& lastName) override;
  void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                   const QString& text) override;
  int Ask(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
          const QStringList& buttons, int defaultButton) override;
  bool OpenUrl(const QUrl& url) override;
  void Beep() override;
};

}  // namespace braceform
