#pragma once
// The modeless find dialog: a text, "Match case" and "Find Next". It only asks; the window
// searches its editor when findRequested arrives, so the dialog can stay open between finds.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace braceform {

class FindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FindDialog(QWidget* parent = nullptr);

  QString findText() const;
  void setFindText(const QString& text);
  bool matchCase() const;

  QLineEdit* textEdit() const { return textEdit_; }
  QCheckBox* matchCaseBox() const { return matchCaseBox_; }
  QPushButton* findNextButton() const { return findNextButton_; }
  QPushButton* closeButton() const { return closeButton_; }

 signals:
  void findRequested(const QString& text, bool matchCase);

 private:
  void FindNextClick();

  QLineEdit* textEdit_;
  QCheckBox* matchCaseBox_;
  QPushButton* findNextButton_;
  QPushButton* closeButton_;
};

}  // namespace braceform
