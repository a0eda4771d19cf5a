#pragma once
// The application-wide error report: whatever escapes a command ends in one message box,
// and the program goes on.
#include <QApplication>
#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace braceform {

// The application's title, the caption of every error box.
inline constexpr const char* kApplicationTitle = "Braceform";

// Shows one report. Tests replace it so that nothing blocks; empty restores the box.
using ErrorReporter = std::function<void(const QString& caption, const QString& text)>;
void SetErrorReporter(ErrorReporter reporter);

// The text of the report for an error: its message, or that of the innermost error it
// wraps when that one is not empty, with the full-stop rule applied.
QString ErrorReportMessage(const std::exception_ptr& error);

// Reports the exception being handled; call only inside a catch block.
void ReportCurrentException();

// Runs a command; an exception that leaves it is reported instead of ending the program.
template <class F>
void Guarded(F&& command) {
  try {
    std::forward<F>(command)();
  } catch (...) {
    ReportCurrentException();
  }
}

// The application object: an exception that leaves any event handler, also one not wrapped
// in Guarded, is reported and the event loop goes on.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace braceform
