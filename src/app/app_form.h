#pragma once
// The main window. Controls and actions carry the window's layout names as object names
// (Editor1, ButtonHuman, New1, ...), so tests and readers find them by those names.
#include <QMainWindow>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "app_context.h"
#include "document/document_lines.h"
#include "reformat/pipeline.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class QUrl;
class QsciLexer;

namespace braceform {

class Editor;
class FindDialog;
class NewVer;
class UpdateStore;
struct UpdateCheckState;

inline constexpr std::int64_t kColouringLimit = 104857600;  // 100 MiB
inline constexpr std::int64_t kDisplayLimit = 2147483648;   // 2 GiB

class AppForm : public QMainWindow {
  Q_OBJECT

 public:
  // `context` outlives the window; `arguments` as the program received them (argument 0 is
  // the program).
  AppForm(AppContext& context, const QStringList& arguments, QWidget* parent = nullptr);
  ~AppForm() override;

  // Commands, named after their controls.
  void ButtonLoadClick();
  void ButtonSaveClick();
  void ButtonHumanClick();
  void ButtonCompactClick();
  void Button3Click();
  void DosyaAc(const QString& fileName);
  void TimerParamTimer();
  void WMDropFiles(const QStringList& fileNames);
  void New1Click();
  void Exit1Click();
  void Streaming1Click();
  void DocumentTree1Click();
  void None1Click();
  void JSON1Click();
  void WordWrap1Click();
  void FindDialog1Find(const QString& text, bool matchCase);
  void Help2Click();
  void UpdateNotifications1Click();
  void Language1Click();
  void SendFeedback1Click();
  void About1Click();
  void Button1Click();
  void Button2Click();
  // Called by the language dialog before a restart: the next start loads that file.
  void SetLanguageFile(const QString& fileName);

  Editor* editor() const { return editor_; }
  DocumentLines& documentLines() { return documentLines_; }
  AppContext& context() const { return context_; }
  const AppIdentity& identity() const { return context_.identity; }
  const QString& dataFolder() const { return context_.dataFolder; }
  QString StatusText() const;
  ReformatOptions Options() const;
  QTimer* timerParam() const { return timerParam_; }
  QTimer* timerChecker() const { return timerChecker_; }
  NewVer* newVer() const { return newVer_; }
  // The update check: starts the check thread on its first tick, applies its results once
  // it has finished.
  void TimerCheckerTimer();

  // Test seam.
  void SetSizeLimits(std::int64_t colouring, std::int64_t display);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Busy;

  void FormCreate();
  // The interface language of this run: the stored choice, else the user's language.
  void LoadLanguage();
  void CreateLayout();
  void CreateMenus();
  void CreateHelpMenu();
  // A menu item named `name` whose handler runs inside the error report.
  QAction* AddItem(QMenu* menu, const char* name, const char* caption, void (AppForm::*handler)());
  void ApplyEditorSettings();
  void Reformat(ReformatMode mode);
  // A handler wrapped in the application-wide error report.
  std::function<void()> Command(void (AppForm::*handler)());
  void SetStatusText(const QString& text);
  // Accepts a drag of local files; returns whether it was one.
  bool AcceptFileDrag(QDropEvent* event);

  AppContext& context_;
  QStringList arguments_;
  DocumentLines documentLines_;
  std::int64_t colouringLimit_ = kColouringLimit;
  std::int64_t displayLimit_ = kDisplayLimit;
  QString openFileName_;
  QString saveFileName_;

  Editor* editor_ = nullptr;
  QsciLexer* jsonHighlighter_ = nullptr;
  FindDialog* findDialog_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  QTimer* timerParam_ = nullptr;
  QTimer* timerChecker_ = nullptr;
  bool updateCheckStarted_ = false;
  std::unique_ptr<UpdateStore> updateStore_;
  std::unique_ptr<UpdateCheckState> updateState_;
  std::atomic<bool> cancelCheck_{false};
  std::thread checker_;
  NewVer* newVer_ = nullptr;
  QPushButton* buttonLoad_ = nullptr;
  QPushButton* buttonSave_ = nullptr;
  QPushButton* buttonHuman_ = nullptr;
  QPushButton* buttonCompact_ = nullptr;
  QPushButton* button3_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QAction* streaming1_ = nullptr;
  QAction* documentTree1_ = nullptr;
  QAction* none1_ = nullptr;
  QAction* json1_ = nullptr;
  QAction* convertTabstoSpaces1_ = nullptr;
  QAction* wordWrap1_ = nullptr;
  QAction* updateNotifications1_ = nullptr;
  QAction* language1_ = nullptr;
  QAction* sendFeedback1_ = nullptr;
  QAction* about1_ = nullptr;
  QMenu* popupMenu1_ = nullptr;
};

}  // namespace braceform
