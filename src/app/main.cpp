// Program entry: the start-up lock, the application object and the main window.
#include "app_form.h"
#include "error_report.h"
#include "start_up.h"

int main(int argc, char** argv) {
  braceform::CreateStartUpLock();
  braceform::Application app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("TARNVEX"));
  QCoreApplication::setApplicationName(QString::fromUtf8(braceform::kApplicationTitle));
  braceform::AppForm form(QCoreApplication::arguments());
  form.show();
  return app.exec();
}
