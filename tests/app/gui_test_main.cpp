// Shared entry of the window tests: one QApplication on the offscreen platform, also when
// ctest lists the tests at build time.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("TARNVEX"));
  QCoreApplication::setApplicationName(QStringLiteral("Braceform"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
