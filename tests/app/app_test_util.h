#pragma once
// Shared fixture of the window tests: a temporary folder, a window whose dialogs and
// message boxes never block, and the reports it made.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app_context.h"
#include "app_form.h"
#include "editor/editor.h"
#include "error_report.h"
#include "start_up.h"

namespace braceform::testing {

// The desktop as a test sees it: every box and dialog recorded, nothing shown, answers
// given beforehand.
class FakeUi : public UiServices {
 public:
  struct Box {
    QMessageBox::Icon icon;
    QString caption, text;
    QStringList buttons;  // empty for a message box
  };

  QString ChooseOpenFile(QWidget*, const QString& lastName) override {
    openLastNames.push_back(lastName);
    if (onOpenDialog) onOpenDialog();
    return nextOpenName;
  }
  QString ChooseSaveFile(QWidget*, const QString& lastName) override {
    saveLastNames.push_back(lastName);
    return nextSaveName;
  }
  void ShowMessage(QWidget*, QMessageBox::Icon icon, const QString& caption,
                   const QString& text) override {
    boxes.push_back({icon, caption, text, {}});
  }
  int Ask(QWidget*, QMessageBox::Icon icon, const QString& caption, const QString& text,
          const QStringList& buttons, int) override {
    boxes.push_back({icon, caption, text, buttons});
    return nextAnswer;
  }
  bool OpenUrl(const QUrl& url) override {
    opened.push_back(url);
    return openSucceeds;
  }
  void Beep() override { ++beeps; }

  std::vector<Box> boxes;
  std::vector<QUrl> opened;
  int beeps = 0;
  QString nextOpenName, nextSaveName;
  QStringList openLastNames, saveLastNames;
  std::function<void()> onOpenDialog;  // runs inside the open dialog
  int nextAnswer = -1;
  bool openSucceeds = true;
};

// A context as the program makes it, but with a temporary data folder, an in-memory
// settings store and the fake desktop.
inline AppContext MakeTestContext(const QString& dataFolder, std::shared_ptr<FakeUi> ui) {
  AppContext context;
  context.exePath = QCoreApplication::applicationFilePath();
  context.identity = ReadAppIdentity(context.exePath);
  context.dataFolder = dataFolder.endsWith('/') ? dataFolder : dataFolder + '/';
  context.settingsFile = OpenSettingsStore(context.dataFolder + QStringLiteral("settings.ini"));
  context.settings = std::make_shared<MemorySettingsStore>();
  context.ui = std::move(ui);
  return context;
}

inline std::string ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  QByteArray b = f.readAll();
  return std::string(b.constData(), b.size());
}

inline void WriteBytes(const QString& path, std::string_view bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class WindowTest : public ::testing::Test {
 protected:
  struct Report {
    QString caption, text, statusAtReport;
    bool busyCursorAtReport;
  };
  using Box = FakeUi::Box;

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    SetErrorReporter([this](const QString& caption, const QString& text) {
      reports_.push_back({caption, text, form_ ? form_->StatusText() : QString(),
                          QApplication::overrideCursor() != nullptr});
    });
    MakeForm({QStringLiteral("braceform")});
  }
  void TearDown() override {
    form_.reset();
    context_.reset();
    SetErrorReporter({});
  }

  void MakeForm(const QStringList& args) {
    form_.reset();
    ui_ = std::make_shared<FakeUi>();
    context_ = std::make_unique<AppContext>(MakeTestContext(dir_.path(), ui_));
    form_ = std::make_unique<AppForm>(*context_, args);
    form_->timerParam()->stop();  // tests fire it themselves unless they need the timer
  }

  // Through the button, so that errors reach the application-wide report.
  void Click(const char* button) { form_->findChild<QPushButton*>(button)->click(); }

  QString Path(const QString& name) const { return dir_.filePath(name); }
  Editor* editor() const { return form_->editor(); }

  // Saves through the button into `name` and returns the bytes written.
  std::string SaveAs(const QString& name) {
    ui_->nextSaveName = Path(name);
    Click("ButtonSave");
    return ReadBytes(Path(name));
  }

  std::vector<std::string> DocumentLinesOf() {
    std::vector<std::string> out;
    const DocumentLines& lines = form_->documentLines();
    for (std::size_t i = 0; i < lines.Count(); ++i) out.emplace_back(lines.Line(i));
    return out;
  }

  QTemporaryDir dir_;
  std::shared_ptr<FakeUi> ui_;
  std::unique_ptr<AppContext> context_;
  std::unique_ptr<AppForm> form_;
  std::vector<Report> reports_;
};

}  // namespace braceform::testing
