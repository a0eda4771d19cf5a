#pragma once
// The program's identity, read from the build's one version record.
#include <QString>

namespace braceform {

struct EXEVersionData {
  QString CompanyName;
  QString FileDescription;
  QString FileVersion;
  QString InternalName;
  QString LegalCopyright;
  QString LegalTrademarks;
  QString OriginalFileName;
  QString ProductName;
  QString ProductVersion;
  QString Comments;
  QString PrivateBuild;
  QString SpecialBuild;
};

// `exePath` names the running executable (its file name is OriginalFileName).
EXEVersionData ReadEXEVersionData(const QString& exePath);

struct AppIdentity {
  QString AppCompanyName;
  QString AppProductName;
  QString AppVersion;  // major.minor
  QString AppTitle;    // company - product
};

AppIdentity ReadAppIdentity(const QString& exePath);

// The maker's web site as the build names it, without a trailing separator, and its plain
// http form (the help site).
QString SiteAddress();
QString PlainSiteAddress();

// The online help page of a product: /help/ and the product name with A to Z lower-cased
// and spaces turned into "-", on the help site.
QString OnlineHelpAddress(const QString& productName);

}  // namespace braceform
