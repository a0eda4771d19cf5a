// Program entry: the start-up lock, the application object, the context every window
// shares, and the main window.
#include "app_context.h"
#include "app_form.h"
#include "error_report.h"
#include "start_up.h"
#include "ui_helpers.h"

int main(int argc, char** argv) {
  braceform::CreateStartUpLock();
  braceform::Application app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("TARNVEX"));
  QCoreApplication::setApplicationName(QString::fromUtf8(braceform::kApplicationTitle));
  QApplication::setWindowIcon(braceform::ProgramIcon());
  const QStringList arguments = QCoreApplication::arguments();
  braceform::AppContext context = braceform::MakeAppContext(arguments);
  braceform::AppForm form(context, arguments);
  form.show();
  return app.exec();
}
