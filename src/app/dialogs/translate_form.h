#pragma once
// The language dialog: the installed interface languages with their flags, who translated
// the selected one, and a restart into another language.
#include <QDialog>
#include <QIcon>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace braceform {

struct AppContext;

// The 16 by 16 flag of a language item, the neutral one for a text without a flag.
QIcon LanguageFlag(const QString& itemText);

class TranslateForm : public QDialog {
  Q_OBJECT

 public:
  // `setLanguageFile` receives the chosen file name (German.lang.txt) before the restart.
  TranslateForm(AppContext& context, std::function<void(const QString&)> setLanguageFile,
                QWidget* parent = nullptr);

  QComboBox* comboBox() const { return comboBox1_; }
  QPlainTextEdit* translators() const { return richEdit1_; }
  QPushButton* okButton() const { return button1_; }

  void ComboBox1Change();
  void Button1Click();
  void Label3Click();
  void Copy1Click();
  void SelectAll1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();

  AppContext& context_;
  std::function<void(const QString&)> setLanguageFile_;
  QString openedLanguageName_;
  QLabel* label1_;
  QComboBox* comboBox1_;
  QLabel* label2_;
  QPlainTextEdit* richEdit1_;
  QMenu* popupMenu1_;
  QLabel* label3_;
  QPushButton* button1_;
};

}  // namespace braceform
