#pragma once
// Start-up helpers of the main window: the data folder, the settings file and the
// start-up lock.
#include <QSettings>
#include <QString>
#include <memory>

namespace braceform {

// Whether a new file can be created in `folder`: creates "chk.tmp" (which must not exist
// yet) and removes it again.
bool FolderIsWritable(const QString& folder);

// The executable's folder when writable, else `userDataRoot`/company/product (created
// as far as possible). Always ends in a path separator.
QString ChooseDataFolder(const QString& exeFolder, const QString& userDataRoot,
                         const QString& company, const QString& product);

// Opens settings.ini read-only as UTF-8. A file that is not valid UTF-8 or not readable
// as an INI file is deleted and the store starts empty. Nothing is ever written back.
std::unique_ptr<QSettings> OpenSettingsStore(const QString& path);

// Takes an advisory lock file in the user's runtime folder and keeps it open until the
// process ends. Two copies may run; nobody examines the lock.
void CreateStartUpLock();

}  // namespace braceform
