#include "version_info.h"

#include <QFileInfo>

#include "version/version_record.h"

namespace braceform {

EXEVersionData ReadEXEVersionData(const QString& exePath) {
  EXEVersionData data;
  data.CompanyName = QString::fromUtf8(build::kCompanyName);
  data.FileDescription = QString::fromUtf8(build::kFileDescription);
  data.FileVersion = QString::fromUtf8(build::kFileVersion);
  data.InternalName = QStringLiteral("braceform");
  data.LegalCopyright = QString::fromUtf8(build::kLegalCopyright);
  data.OriginalFileName = QFileInfo(exePath).fileName();
  data.ProductName = QString::fromUtf8(build::kProductName);
  data.ProductVersion = QString::fromUtf8(build::kProductVersion);
  data.Comments = QString::fromUtf8(build::kComments);
  return data;
}

AppIdentity ReadAppIdentity(const QString& exePath) {
  EXEVersionData data = ReadEXEVersionData(exePath);
  AppIdentity id;
  id.AppCompanyName = data.CompanyName;
  id.AppProductName = data.ProductName;
  id.AppVersion = QStringLiteral("%1.%2").arg(build::kVersionMajor).arg(build::kVersionMinor);
  id.AppTitle = id.AppCompanyName + QStringLiteral(" - ") + id.AppProductName;
  return id;
}

}  // namespace braceform
