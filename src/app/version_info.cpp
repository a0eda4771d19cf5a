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

QString SiteAddress() {
  QString site = QString::fromUtf8(build::kSiteAddress);
  while (site.endsWith(QLatin1Char('/'))) site.chop(1);
  return site;
}

QString PlainSiteAddress() {
  QString site = SiteAddress();
  if (site.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
    site = QStringLiteral("http://") + site.mid(8);
  }
  return site;
}

QString OnlineHelpAddress(const QString& productName) {
  QString page = productName;
  for (QChar& c : page) {
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + ('a' - 'A'));
    if (c == QLatin1Char(' ')) c = QLatin1Char('-');
  }
  return PlainSiteAddress() + QStringLiteral("/help/") + page + QLatin1Char('/');
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
