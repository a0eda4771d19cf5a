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

#include "app_form.h"
#include "editor/editor.h"
#include "error_report.h"

namespace braceform::testing {

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
  struct Box {
    QMessageBox::Icon icon;
    QString caption, text;
  };

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
    SetErrorReporter({});
  }

  void MakeForm(const QStringList& args) {
    form_ = std::make_unique<AppForm>(args);
    form_->timerParam()->stop();  // tests fire it themselves unless they need the timer
    form_->SetOpenDialog([this](QWidget*, const QString& last) {
      openDialogLastNames_.push_back(last);
      return nextOpenName_;
    });
    form_->SetSaveDialog([this](QWidget*, const QString& last) {
      saveDialogLastNames_.push_back(last);
      return nextSaveName_;
    });
    form_->SetMessageBox(
        [this](QMessageBox::Icon icon, const QString& caption, const QString& text) {
          boxes_.push_back({icon, caption, text});
        });
  }

  // Through the button, so that errors reach the application-wide report.
  void Click(const char* button) { form_->findChild<QPushButton*>(button)->click(); }

  QString Path(const QString& name) const { return dir_.filePath(name); }
  Editor* editor() const { return form_->editor(); }

  // Saves through the button into `name` and returns the bytes written.
  std::string SaveAs(const QString& name) {
    nextSaveName_ = Path(name);
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
  std::unique_ptr<AppForm> form_;
  std::vector<Report> reports_;
  std::vector<Box> boxes_;
  QString nextOpenName_, nextSaveName_;
  QStringList openDialogLastNames_, saveDialogLastNames_;
};

}  // namespace braceform::testing
