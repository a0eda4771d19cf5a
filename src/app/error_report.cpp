#include "error_report.h"

#include <QApplication>
#include <QMessageBox>
#include <new>
#include <string>

#include "reformat/pipeline.h"

namespace braceform {

namespace {

ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}

void ShowErrorBox(const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

std::string Message(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return "Out of memory";
  return e.what();
}

// The innermost non-empty message along the chain of nested errors.
std::string InnermostMessage(const std::exception& e) {
  std::string message = Message(e);
  try {
    std::rethrow_if_nested(e);
  } catch (const std::exception& inner) {
    std::string innerMessage = InnermostMessage(inner);
    if (!innerMessage.empty()) message = std::move(innerMessage);
  } catch (...) {
  }
  return message;
}

}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

QString ErrorReportMessage(const std::exception_ptr& error) {
  std::string message;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = InnermostMessage(e);
  } catch (...) {
    message = "Unknown error";
  }
  return QString::fromStdString(ErrorReportText(message));
}

void ReportCurrentException() {
  QString text = ErrorReportMessage(std::current_exception());
  QString caption = QString::fromUtf8(kApplicationTitle);
  if (Reporter())
    Reporter()(caption, text);
  else
    ShowErrorBox(caption, text);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportCurrentException();
    return false;
  }
}

}  // namespace braceform
