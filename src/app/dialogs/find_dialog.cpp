#include "dialogs/find_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace braceform {

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      textEdit_(new QLineEdit(this)),
      matchCaseBox_(new QCheckBox(QStringLiteral("Match case"), this)),
      findNextButton_(new QPushButton(QStringLiteral("Find Next"), this)),
      closeButton_(new QPushButton(QStringLiteral("Close"), this)) {
  setWindowTitle(QStringLiteral("Find"));
  setModal(false);
  matchCaseBox_->setChecked(false);

  auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
  label->setBuddy(textEdit_);
  auto* fields = new QVBoxLayout;
  auto* textRow = new QHBoxLayout;
  textRow->addWidget(label);
  textRow->addWidget(textEdit_, 1);
  fields->addLayout(textRow);
  fields->addWidget(matchCaseBox_);
  fields->addStretch();

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(findNextButton_);
  buttons->addWidget(closeButton_);
  buttons->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields, 1);
  layout->addLayout(buttons);

  findNextButton_->setDefault(true);
  findNextButton_->setEnabled(false);
  connect(textEdit_, &QLineEdit::textChanged, this,
          [this](const QString& text) { findNextButton_->setEnabled(!text.isEmpty()); });
  connect(findNextButton_, &QPushButton::clicked, this, &FindDialog::FindNextClick);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
}

QString FindDialog::findText() const { return textEdit_->text(); }

void FindDialog::setFindText(const QString& text) { textEdit_->setText(text); }

bool FindDialog::matchCase() const { return matchCaseBox_->isChecked(); }

void FindDialog::FindNextClick() {
  if (textEdit_->text().isEmpty()) return;
  emit findRequested(textEdit_->text(), matchCaseBox_->isChecked());
}

}  // namespace braceform
