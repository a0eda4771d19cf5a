#include "app_context.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include "restart.h"
#include "start_up.h"

namespace braceform {

namespace {
const QString kGroup = QStringLiteral("Settings");
QString Key(const QString& name) { return kGroup + QLatin1Char('/') + name; }
}  // namespace

NativeSettingsStore::NativeSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("TARNVEX"),
                                            QStringLiteral("Braceform"))) {}

QVariant NativeSettingsStore::Value(const QString& name, const QVariant& fallback) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_->value(Key(name), fallback);
}

void NativeSettingsStore::SetValue(const QString& name, const QVariant& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_->setValue(Key(name), value);
  settings_->sync();
}

QVariant MemorySettingsStore::Value(const QString& name, const QVariant& fallback) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_.value(name, fallback);
}

void MemorySettingsStore::SetValue(const QString& name, const QVariant& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.insert(name, value);
}

AppContext MakeAppContext(const QStringList& arguments) {
  AppContext context;
  (void)arguments;
  // The running file: the name the program was started by may be a bare command name.
  context.exePath = QCoreApplication::applicationFilePath();
  context.identity = ReadAppIdentity(context.exePath);
  context.dataFolder =
      ChooseDataFolder(QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                       context.identity.AppCompanyName, context.identity.AppProductName);
  context.settingsFile = OpenSettingsStore(context.dataFolder + QStringLiteral("settings.ini"));
  context.settings = std::make_shared<NativeSettingsStore>();
  context.ui = std::make_shared<DesktopUiServices>();
  context.restart = [exe = QFile::encodeName(context.exePath)] {
    StartAgainLater(exe.toStdString());
  };
  return context;
}

}  // namespace braceform
