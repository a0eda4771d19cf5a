#include "start_up.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "text/utf.h"

namespace braceform {

namespace {
QString WithSeparator(const QString& folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
}  // namespace

bool FolderIsWritable(const QString& folder) {
  QByteArray path = QFile::encodeName(WithSeparator(folder) + QStringLiteral("chk.tmp"));
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::unlink(path.constData());
  ::close(fd);
  return true;
}

QString ChooseDataFolder(const QString& exeFolder, const QString& userDataRoot,
                         const QString& company, const QString& product) {
  if (FolderIsWritable(exeFolder)) return WithSeparator(exeFolder);
  QDir root(userDataRoot);
  root.mkdir(company);  // failures (already there, no rights) are ignored
  QString companyFolder = WithSeparator(userDataRoot) + company;
  QDir(companyFolder).mkdir(product);
  return WithSeparator(companyFolder + QLatin1Char('/') + product);
}

std::unique_ptr<QSettings> OpenSettingsStore(const QString& path) {
  QFile file(path);
  bool usable = true;
  if (file.exists()) {
    if (file.open(QIODevice::ReadOnly)) {
      QByteArray bytes = file.readAll();
      usable = text::IsValidUTF8(std::string_view(bytes.constData(), bytes.size()));
      file.close();
    } else {
      usable = false;
    }
  }
  if (usable) {
    auto store = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (store->status() == QSettings::NoError) return store;
  }
  QFile::remove(path);
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

void CreateStartUpLock() {
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) return;
  QByteArray path =
      QFile::encodeName(WithSeparator(runtime) + QStringLiteral("TARNVEX_Braceform.lock"));
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) (void)::flock(fd, LOCK_EX | LOCK_NB);  // held until exit; the result is not used
}

}  // namespace braceform
