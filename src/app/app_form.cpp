#include "app_form.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDate>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <future>
#include <optional>
#include <string>

#include "dialogs/about/about_box.h"
#include "dialogs/feedback_form.h"
#include "dialogs/find_dialog.h"
#include "dialogs/find_text.h"
#include "dialogs/new_ver.h"
#include "dialogs/translate_form.h"
#include "document/document_file.h"
#include "editor/editor.h"
#include "editor/json_lexer.h"
#include "error_report.h"
#include "i18n/translate.h"
#include "online/post_form.h"
#include "online/update_check.h"
#include "ui_helpers.h"

namespace braceform {

namespace {

std::string FileSystemName(const QString& name) { return QFile::encodeName(name).toStdString(); }

// The buttons of the two bars: 150 wide, fixed English captions.
QPushButton* BarButton(QBoxLayout* layout, const char* name, const char* caption, QIcon icon,
                       int height) {
  return AddButton(layout, name, QString::fromLatin1(caption), icon, QSize(150, height));
}

}  // namespace

// The progress text and the busy cursor of a long operation, painted before the work
// starts and taken away when it ends, also when it fails (before the error is shown).
class AppForm::Busy {
 public:
  Busy(AppForm* form, const char* text) : form_(form) {
    form_->SetStatusText(QString::fromLatin1(text));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProcessPendingEventsOnce();
  }
  ~Busy() {
    form_->SetStatusText({});
    QApplication::restoreOverrideCursor();
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  AppForm* form_;
};

AppForm::AppForm(AppContext& context, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), context_(context), arguments_(arguments) {
  FormCreate();
}

// The per-user store as the update check sees it: text values, none when missing.
class SettingsUpdateStore : public UpdateStore {
 public:
  explicit SettingsUpdateStore(std::shared_ptr<SettingsStore> settings)
      : settings_(std::move(settings)) {}
  std::optional<std::string> Read(const std::string& name) override {
    const QVariant v = settings_->Value(QString::fromStdString(name));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
  }
  void Write(const std::string& name, const std::string& value) override {
    settings_->SetValue(QString::fromStdString(name), QString::fromStdString(value));
  }

 private:
  std::shared_ptr<SettingsStore> settings_;
};

AppForm::~AppForm() {
  // A check still waiting for the server ends now, not at its time-outs.
  cancelCheck_ = true;
  if (checker_.joinable()) checker_.join();
}

void AppForm::FormCreate() {
  setWindowTitle(identity().AppTitle);
  setAcceptDrops(true);

  CreateLayout();
  CreateMenus();
  ApplyEditorSettings();
  documentLines_.Clear();

  timerParam_ = new QTimer(this);
  timerParam_->setObjectName(QStringLiteral("TimerParam"));
  timerParam_->setInterval(100);
  connect(timerParam_, &QTimer::timeout, this, [this] { Guarded([this] { TimerParamTimer(); }); });
  timerParam_->start();

  updateStore_ = std::make_unique<SettingsUpdateStore>(context_.settings);
  updateState_ = std::make_unique<UpdateCheckState>();
  timerChecker_ = new QTimer(this);
  timerChecker_->setObjectName(QStringLiteral("TimerChecker"));
  timerChecker_->setInterval(1000);
  connect(timerChecker_, &QTimer::timeout, this,
          [this] { Guarded([this] { TimerCheckerTimer(); }); });
  timerChecker_->start();
  LoadLanguage();
}

void AppForm::TimerCheckerTimer() {
  if (!updateCheckStarted_) {
    updateCheckStarted_ = true;
    UpdateCheckInput input;
    input.store = updateStore_.get();
    input.appTitle = identity().AppTitle.toStdString();
    input.appVersion = identity().AppVersion.toStdString();
    input.os = OperatingSystemDescription();
    input.localeName = UserLocaleName();
    input.endpoint = UpdateEndpoint();
    input.today = [] {
      return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    };
    input.cancel = &cancelCheck_;
    // Widgets live on this thread: the box is shown here while the check waits for it.
    input.showAnnouncement = [this](const std::string& text) {
      auto closed = std::make_shared<std::promise<void>>();
      std::future<void> done = closed->get_future();
      QMetaObject::invokeMethod(
          this,
          [this, closed, text = QString::fromStdString(text)] {
            context_.ui->ShowMessage(this, QMessageBox::Warning, Translated("IMPORTANT"), text);
            closed->set_value();
          },
          Qt::QueuedConnection);
      while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        if (cancelCheck_) return;
      }
    };
    checker_ = std::thread([input, state = updateState_.get()] { CheckNow(input, *state); });
    return;
  }
  if (!updateState_->done.load(std::memory_order_acquire)) return;
  timerChecker_->stop();
  if (checker_.joinable()) checker_.join();
  updateNotifications1_->setEnabled(true);
  if (updateState_->showUpdateValue == 0) updateNotifications1_->setChecked(false);
  if (updateState_->available && !newVer_) {
    newVer_ = new NewVer(context_, QString::fromStdString(updateState_->serverVersion),
                         QString::fromStdString(updateState_->downloadURL), this);
  }
}

namespace {
const QString kLanguageSetting = QStringLiteral("Language");
}  // namespace

void AppForm::LoadLanguage() {
  const std::string exeFolder =
      QFile::encodeName(QFileInfo(context_.exePath).absolutePath()).toStdString();
  // "English" is the built-in language: no file. A stored file that has since been removed
  // no longer decides: the automatic choice does.
  const std::string stored =
      QFile::encodeName(context_.settings->Value(kLanguageSetting).toString()).toStdString();
  const bool storedFileExists =
      !stored.empty() &&
      QFileInfo(QString::fromStdString(LanguagesFolderFor(exeFolder) + "/" + stored)).isFile();
  Guarded([&] {
    if (stored == "English") {
      LoadInterfaceLanguage(exeFolder, {}, kNoLanguageId);
    } else {
      LoadInterfaceLanguage(exeFolder, storedFileExists ? stored : std::string());
    }
  });
}

// The built-in English has no file of its own: it is kept by its name.
void AppForm::SetLanguageFile(const QString& fileName) {
  const bool builtInEnglish =
      fileName == QLatin1String("English.lang.txt") &&
      !QFileInfo(QString::fromStdString(LanguagesFolder()) + QLatin1Char('/') + fileName).isFile();
  context_.settings->SetValue(kLanguageSetting,
                              builtInEnglish ? QStringLiteral("English") : fileName);
}

void AppForm::CreateLayout() {
  setFont(PixelFont("Tahoma", 11));
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* panel2 = new QWidget(central);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setFixedHeight(41);
  auto* top = new QHBoxLayout(panel2);
  top->setContentsMargins(3, 3, 0, 3);
  top->setSpacing(3);
  buttonLoad_ =
      BarButton(top, "ButtonLoad", "Load JSON File...", Icon("document-open", "folder32"), 35);
  buttonSave_ =
      BarButton(top, "ButtonSave", "Save JSON File...", Icon("document-save", "floppy48"), 35);
  buttonHuman_ = BarButton(top, "ButtonHuman", "Human Readable", Icon("go-next", "sign-right"), 35);
  buttonCompact_ = BarButton(top, "ButtonCompact", "Compact", Icon("go-next", "sign-right"), 35);
  top->addStretch(1);
  column->addWidget(panel2);

  editor_ = new Editor(central);
  editor_->setObjectName(QStringLiteral("Editor1"));
  column->addWidget(editor_, 1);

  auto* panel1 = new QWidget(central);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFixedHeight(40);
  auto* bottom = new QHBoxLayout(panel1);
  bottom->setContentsMargins(3, 3, 3, 3);
  bottom->setSpacing(3);
  button3_ = BarButton(bottom, "Button3", "Find...", Icon("edit-find", "Item9"), 34);
  bottom->addStretch(1);
  button1_ = BarButton(bottom, "Button1", "Send Feedback...", Icon("mail-send", "feedback"), 34);
  button2_ = BarButton(bottom, "Button2", "About...", Icon("help-about", "about"), 34);
  column->addWidget(panel1);
  setCentralWidget(central);

  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setFixedHeight(19);
  bar->setSizeGripEnabled(false);
  statusPanel_ = new QLabel(bar);
  statusPanel_->setMinimumWidth(50);
  bar->addWidget(statusPanel_, 1);
  setStatusBar(bar);

  setTabOrder(buttonLoad_, buttonSave_);
  setTabOrder(buttonSave_, buttonHuman_);
  setTabOrder(buttonHuman_, buttonCompact_);

  auto guard = [this](void (AppForm::*handler)()) { return Command(handler); };
  connect(buttonLoad_, &QPushButton::clicked, this, guard(&AppForm::ButtonLoadClick));
  connect(buttonSave_, &QPushButton::clicked, this, guard(&AppForm::ButtonSaveClick));
  connect(buttonHuman_, &QPushButton::clicked, this, guard(&AppForm::ButtonHumanClick));
  connect(buttonCompact_, &QPushButton::clicked, this, guard(&AppForm::ButtonCompactClick));
  connect(button3_, &QPushButton::clicked, this, guard(&AppForm::Button3Click));
  connect(button1_, &QPushButton::clicked, this, guard(&AppForm::Button1Click));
  connect(button2_, &QPushButton::clicked, this, guard(&AppForm::Button2Click));

  // Client area 675 x 394 below the menu bar, centred.
  resize(675, 394 + menuBar()->sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

std::function<void()> AppForm::Command(void (AppForm::*handler)()) {
  return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
}

QAction* AppForm::AddItem(QMenu* menu, const char* name, const char* caption,
                          void (AppForm::*handler)()) {
  QAction* action = menu->addAction(QString::fromLatin1(caption));
  action->setObjectName(QString::fromLatin1(name));
  connect(action, &QAction::triggered, this, Command(handler));
  return action;
}

void AppForm::CreateMenus() {
  auto add = [this](QMenu* menu, const char* name, const char* caption,
                    void (AppForm::*handler)()) { return AddItem(menu, name, caption, handler); };

  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  file->setObjectName(QStringLiteral("File1"));
  add(file, "New1", "New", &AppForm::New1Click)->setIcon(Icon("document-new", "Item6"));
  QAction* load =
      file->addAction(Icon("document-open", "folder32"), QStringLiteral("Load JSON File..."));
  load->setObjectName(QStringLiteral("LoadJSONFile1"));
  connect(load, &QAction::triggered, buttonLoad_, &QPushButton::click);
  QAction* save =
      file->addAction(Icon("document-save", "floppy48"), QStringLiteral("Save JSON File..."));
  save->setObjectName(QStringLiteral("SaveJSONFile1"));
  connect(save, &QAction::triggered, buttonSave_, &QPushButton::click);
  file->addSeparator()->setObjectName(QStringLiteral("N1"));
  add(file, "Exit1", "Exit", &AppForm::Exit1Click)->setIcon(Icon("application-exit", "exit"));

  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  options->setObjectName(QStringLiteral("Options1"));
  QMenu* engine = options->addMenu(QStringLiteral("Human Readable Engine"));
  engine->menuAction()->setObjectName(QStringLiteral("HumanReadableEngine1"));
  auto* engineGroup = new QActionGroup(this);
  streaming1_ = add(engine, "Streaming1", "Streaming", &AppForm::Streaming1Click);
  documentTree1_ = add(engine, "DocumentTree1", "Document Tree", &AppForm::DocumentTree1Click);
  QMenu* syntax = options->addMenu(QStringLiteral("Syntax"));
  syntax->menuAction()->setObjectName(QStringLiteral("Syntax1"));
  auto* syntaxGroup = new QActionGroup(this);
  none1_ = add(syntax, "None1", "None", &AppForm::None1Click);
  json1_ = add(syntax, "JSON1", "JSON", &AppForm::JSON1Click);
  for (QAction* a : {streaming1_, documentTree1_}) {
    a->setCheckable(true);
    engineGroup->addAction(a);
  }
  for (QAction* a : {none1_, json1_}) {
    a->setCheckable(true);
    syntaxGroup->addAction(a);
  }
  streaming1_->setChecked(true);
  json1_->setChecked(true);
  options->addSeparator()->setObjectName(QStringLiteral("N5"));
  convertTabstoSpaces1_ = options->addAction(QStringLiteral("Convert Tabs to Spaces"));
  convertTabstoSpaces1_->setObjectName(QStringLiteral("ConvertTabstoSpaces1"));
  wordWrap1_ = add(options, "WordWrap1", "Word Wrap", &AppForm::WordWrap1Click);
  // Check items: the action inverts its own mark; the handler applies the new state.
  convertTabstoSpaces1_->setCheckable(true);
  wordWrap1_->setCheckable(true);
  convertTabstoSpaces1_->setChecked(true);

  CreateHelpMenu();

  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  auto addEdit = [this](const char* name, const char* caption, auto slot) {
    QAction* action = popupMenu1_->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this,
            [this, slot] { Guarded([this, slot] { slot(editor_); }); });
    return action;
  };
  addEdit("Undo1", "Undo", [](Editor* e) { e->undo(); });
  popupMenu1_->addSeparator();
  addEdit("Cut1", "Cut", [](Editor* e) { e->cut(); });
  addEdit("Copy1", "Copy", [](Editor* e) { e->copy(); });
  addEdit("Paste1", "Paste", [](Editor* e) { e->paste(); });
  addEdit("Delete1", "Delete", [](Editor* e) { e->removeSelectedText(); });
  popupMenu1_->addSeparator();
  addEdit("SelectAll1", "Select All", [](Editor* e) { e->selectAll(true); });
  editor_->SetPopupMenu(popupMenu1_);
}

void AppForm::CreateHelpMenu() {
  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  help->setObjectName(QStringLiteral("Help1"));
  QAction* onlineHelp = AddItem(help, "Help2", "Online Help", &AppForm::Help2Click);
  onlineHelp->setShortcut(Qt::Key_F1);
  onlineHelp->setIcon(Icon("help-browser", "help"));
  help->addSeparator()->setObjectName(QStringLiteral("N3"));
  updateNotifications1_ = AddItem(help, "UpdateNotifications1", "Update Notifications",
                                  &AppForm::UpdateNotifications1Click);
  updateNotifications1_->setCheckable(true);
  updateNotifications1_->setChecked(true);
  updateNotifications1_->setEnabled(false);  // until the update check has finished
  QAction* bar = help->addSeparator();
  bar->setObjectName(QStringLiteral("UpdateNotificationsBar"));
  bar->setVisible(false);
  language1_ = AddItem(help, "Language1", "Language...", &AppForm::Language1Click);
  language1_->setIcon(Icon("preferences-desktop-locale", "flag"));
  sendFeedback1_ =
      AddItem(help, "SendFeedback1", "Send &Feedback...", &AppForm::SendFeedback1Click);
  sendFeedback1_->setIcon(Icon("mail-send", "feedback"));
  about1_ = AddItem(help, "About1", "&About...", &AppForm::About1Click);
  about1_->setIcon(Icon("help-about", "about"));
}

void AppForm::ApplyEditorSettings() {
  editor_->viewport()->installEventFilter(this);
  jsonHighlighter_ = new JsonLexer(this);
  editor_->setLexer(jsonHighlighter_);
}

QString AppForm::StatusText() const { return statusPanel_->text(); }

void AppForm::SetStatusText(const QString& text) {
  statusPanel_->setText(text);
  statusPanel_->repaint();
}

ReformatOptions AppForm::Options() const {
  ReformatOptions options;
  options.humanReadableEngine = documentTree1_->isChecked() ? HumanReadableEngine::DocumentTree
                                                            : HumanReadableEngine::Streaming;
  options.convertTabsToSpaces = convertTabstoSpaces1_->isChecked();
  return options;
}

void AppForm::SetSizeLimits(std::int64_t colouring, std::int64_t display) {
  colouringLimit_ = colouring;
  displayLimit_ = display;
}

// --- Reformat -----------------------------------------------------------------------

void AppForm::Reformat(ReformatMode mode) {
  ReformatResult result;
  {
    Busy busy(this, "Please wait...");
    ReformatOptions options = Options();
    if (editor_->isEnabled()) {
      documentLines_ = editor_->Lines();
      // The editor still holds the document, so the engine may use this copy as its own.
      options.keepDocumentOnFailure = false;
    }
    result = ReformatDocument(documentLines_, mode, options);
    // One undo step brings the text before the operation back: the streaming engine drops
    // what it cannot read, so the user must be able to return.
    if (editor_->isEnabled()) editor_->ReplaceText(documentLines_.TextForm());
    editor_->SetCaretLine(0);
  }
  if (!result.complete) {
    // Sentence by sentence, as the language files hold them.
    const QString text = Translated("The text could not be read from line %1, column %2 on.")
                             .arg(static_cast<qulonglong>(result.line))
                             .arg(static_cast<qulonglong>(result.column)) +
                         QLatin1Char(' ') + Translated("What follows was left out of the result.") +
                         QLatin1Char(' ') + Translated("Undo brings back the whole text.");
    context_.ui->ShowMessage(this, QMessageBox::Warning, QString::fromUtf8(kApplicationTitle),
                             text);
  }
}

void AppForm::ButtonHumanClick() { Reformat(ReformatMode::HumanReadable); }
void AppForm::ButtonCompactClick() { Reformat(ReformatMode::Compact); }

// --- Loading and saving -------------------------------------------------------------

void AppForm::ButtonLoadClick() {
  QString name = context_.ui->ChooseOpenFile(this, openFileName_);
  if (name.isEmpty()) return;
  openFileName_ = name;
  DosyaAc(name);
}

void AppForm::DosyaAc(const QString& fileName) {
  Busy busy(this, "Loading...");
  QFileInfo info(fileName);
  std::int64_t size = info.exists() ? info.size() : -1;
  if (size > colouringLimit_) None1Click();
  // Read into a new list: a failed read leaves the current document as it was.
  DocumentLines lines = LoadDocumentFile(FileSystemName(fileName));
  documentLines_.Swap(lines);
  lines = DocumentLines();
  if (size <= displayLimit_) {
    editor_->SetLines(documentLines_);
    editor_->setEnabled(true);
  } else {
    editor_->SetText("The file is not displayed because it is very large.");
    editor_->setEnabled(false);
  }
  editor_->SetCaretLine(0);
}

void AppForm::ButtonSaveClick() {
  QString name = context_.ui->ChooseSaveFile(this, saveFileName_);
  if (name.isEmpty()) return;
  saveFileName_ = name;
  Busy busy(this, "Saving...");
  if (editor_->isEnabled())
    WriteFileAtomically(FileSystemName(name), editor_->TextForm());
  else
    WriteFileAtomically(FileSystemName(name), documentLines_.TextForm());
}

// --- Command line and dropped files -------------------------------------------------

void AppForm::TimerParamTimer() {
  timerParam_->stop();
  QString joined;
  for (qsizetype i = 1; i < arguments_.size(); ++i) joined += QLatin1Char(' ') + arguments_[i];
  QByteArray utf8 = joined.toUtf8();
  std::string_view trimmed = TrimUTF8(std::string_view(utf8.constData(), utf8.size()));
  QString name = QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size()));
  if (!name.isEmpty() && QFileInfo(name).isFile()) DosyaAc(name);
}

void AppForm::WMDropFiles(const QStringList& fileNames) {
  for (const QString& name : fileNames) {
    if (name.isEmpty()) break;
    DosyaAc(name);
  }
}

bool AppForm::AcceptFileDrag(QDropEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (mime == nullptr || !mime->hasUrls()) return false;
  for (const QUrl& url : mime->urls())
    if (!url.isLocalFile()) return false;
  event->acceptProposedAction();
  return true;
}

void AppForm::dragEnterEvent(QDragEnterEvent* event) { AcceptFileDrag(event); }
void AppForm::dragMoveEvent(QDragMoveEvent* event) { AcceptFileDrag(event); }

void AppForm::dropEvent(QDropEvent* event) {
  if (!AcceptFileDrag(event)) return;
  QStringList names;
  for (const QUrl& url : event->mimeData()->urls()) names << url.toLocalFile();
  Guarded([&] { WMDropFiles(names); });
}

bool AppForm::eventFilter(QObject* watched, QEvent* event) {
  if (editor_ != nullptr && watched == editor_->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove:
        if (AcceptFileDrag(static_cast<QDropEvent*>(event))) return true;
        break;
      case QEvent::Drop:
        if (AcceptFileDrag(static_cast<QDropEvent*>(event))) {
          dropEvent(static_cast<QDropEvent*>(event));
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// --- Menus --------------------------------------------------------------------------

void AppForm::New1Click() {
  documentLines_.Clear();
  editor_->ClearAll();
  editor_->setEnabled(true);
  editor_->SetCaretLine(0);
  editor_->insert(QStringLiteral("a"));
  editor_->ClearAll();
}

void AppForm::Exit1Click() { QCoreApplication::quit(); }

void AppForm::Streaming1Click() { streaming1_->setChecked(true); }
void AppForm::DocumentTree1Click() { documentTree1_->setChecked(true); }

void AppForm::None1Click() {
  editor_->setLexer(nullptr);
  editor_->setFont(editor_->font());
  none1_->setChecked(true);
}

void AppForm::JSON1Click() {
  if (jsonHighlighter_ != nullptr && editor_->lexer() != jsonHighlighter_)
    editor_->setLexer(jsonHighlighter_);
  json1_->setChecked(true);
}

void AppForm::WordWrap1Click() { editor_->SetWordWrap(wordWrap1_->isChecked()); }

// --- Find ---------------------------------------------------------------------------

void AppForm::Button3Click() {
  if (findDialog_ == nullptr) {
    findDialog_ = new FindDialog(this);
    findDialog_->setObjectName(QStringLiteral("FindDialog1"));
    connect(findDialog_, &FindDialog::findRequested, this,
            [this](const QString& text, bool matchCase) {
              Guarded([&] { FindDialog1Find(text, matchCase); });
            });
  }
  findDialog_->show();
  findDialog_->raise();
  findDialog_->activateWindow();
}

void AppForm::FindDialog1Find(const QString& text, bool matchCase) {
  std::string whole = editor_->Text();
  QString haystack = QString::fromUtf8(whole.data(), static_cast<qsizetype>(whole.size()));
  std::int64_t from = editor_->SelStart() + editor_->SelLength();
  int found =
      from > haystack.size() ? -1 : FindForward(haystack, text, static_cast<int>(from), matchCase);
  if (found < 0) {
    context_.ui->ShowMessage(this, QMessageBox::Warning, Translated("Find"),
                             Translated("Text not found!"));
    editor_->SetSelection16(0, 0);
    return;
  }
  editor_->setFocus();
  editor_->SetSelection16(found, text.size());
}

// --- Help menu ----------------------------------------------------------------------

// Failures are not reported: there may simply be no browser.
void AppForm::Help2Click() {
  context_.ui->OpenUrl(QUrl(OnlineHelpAddress(identity().AppProductName)));
}

// The action checks and unchecks itself; the store follows it.
void AppForm::UpdateNotifications1Click() {
  SetShowUpdate(*updateStore_, updateNotifications1_->isChecked());
}

void AppForm::Language1Click() {
  TranslateForm dialog(
      context_, [this](const QString& fileName) { SetLanguageFile(fileName); }, this);
  dialog.exec();
}

void AppForm::SendFeedback1Click() {
  FeedbackForm dialog(context_, this);
  dialog.exec();
}

void AppForm::About1Click() {
  AboutBox box(context_, this);
  box.exec();
}

void AppForm::Button1Click() { sendFeedback1_->trigger(); }
void AppForm::Button2Click() { about1_->trigger(); }

}  // namespace braceform
