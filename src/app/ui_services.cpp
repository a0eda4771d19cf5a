#include "ui_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPushButton>

namespace braceform {

namespace {

QString RunFileDialog(QWidget* parent, const QString& lastName, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(QFileDialog::AnyFile);  // a missing file is the load's error to report
  dialog.setNameFilters({QStringLiteral("JSON File (*.json)"), QStringLiteral("Any File (*)")});
  dialog.setDefaultSuffix(QStringLiteral("json"));
  if (!lastName.isEmpty()) dialog.selectFile(lastName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

QString DesktopUiServices::ChooseOpenFile(QWidget* parent, const QString& lastName) {
  return RunFileDialog(parent, lastName, QFileDialog::AcceptOpen);
}

QString DesktopUiServices::ChooseSaveFile(QWidget* parent, const QString& lastName) {
  return RunFileDialog(parent, lastName, QFileDialog::AcceptSave);
}

void DesktopUiServices::ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);  // texts may come from files and servers
  box.exec();
}

int DesktopUiServices::Ask(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                           const QString& text, const QStringList& buttons, int defaultButton) {
  QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  QList<QPushButton*> added;
  for (const QString& caption : buttons) added << box.addButton(caption, QMessageBox::ActionRole);
  if (defaultButton >= 0 && defaultButton < added.size())
    box.setDefaultButton(added[defaultButton]);
  box.exec();
  return static_cast<int>(added.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}

bool DesktopUiServices::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void DesktopUiServices::Beep() { QApplication::beep(); }

}  // namespace braceform
