// Shared entry of the window tests: one QApplication on the offscreen platform, also when
// ctest lists the tests at build time.
#include <gtest/gtest.h>

#include "error_report.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  braceform::Application app(argc, argv);  // the program's own, with its error net
  QCoreApplication::setOrganizationName(QStringLiteral("TARNVEX"));
  QCoreApplication::setApplicationName(QStringLiteral("Braceform"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
