#pragma once
// What the main window and every dialog share, made once at program entry: the program's
// identity, its data folder, the two settings stores and the services that talk to the
// user. Dialogs take it in their constructor, so adding one does not grow the window.
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <mutex>

#include "ui_services.h"
#include "version_info.h"

namespace braceform {

// The per-user store of the few values the program keeps (group "Settings"): the update
// check's state and the language choice. Safe to use from the update-check thread.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual QVariant Value(const QString& name, const QVariant& fallback = {}) const = 0;
  virtual void SetValue(const QString& name, const QVariant& value) = 0;
};

// The platform's native per-user store, organisation "TARNVEX", application "Braceform"
// (the registry on Windows, a configuration file under XDG_CONFIG_HOME here).
class NativeSettingsStore : public SettingsStore {
 public:
  NativeSettingsStore();
  QVariant Value(const QString& name, const QVariant& fallback = {}) const override;
  void SetValue(const QString& name, const QVariant& value) override;

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<QSettings> settings_;
};

// Held in memory only: for tests, and whoever must not touch the user's store.
class MemorySettingsStore : public SettingsStore {
 public:
  QVariant Value(const QString& name, const QVariant& fallback = {}) const override;
  void SetValue(const QString& name, const QVariant& value) override;

 private:
  mutable std::mutex mutex_;
  QVariantMap values_;
};

struct AppContext {
  AppIdentity identity;
  QString exePath;     // the running executable
  QString dataFolder;  // ends in a path separator
  // settings.ini in the data folder: opened at start, deleted when unreadable, never written.
  std::unique_ptr<QSettings> settingsFile;
  std::shared_ptr<SettingsStore> settings;
  std::shared_ptr<UiServices> ui;
  // Starts the program anew once this one has ended (the language dialog's restart).
  std::function<void()> restart;
};

// The program's own context: identity from the build's version record, the data folder
// chosen as the window's start-up does, settings.ini opened there, the native store and
// the desktop's dialogs. `arguments` as the program received them.
AppContext MakeAppContext(const QStringList& arguments);

}  // namespace braceform
