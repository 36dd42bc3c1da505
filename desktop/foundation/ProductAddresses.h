#pragma once

#include <QString>

// Where the maker and the product are found on the web, on a reserved example
// domain, and the addresses built from them for the menus and the about box.

inline constexpr char kMakerSite[] = "https://www.example.com";
inline constexpr char kSupportMail[] = "support@example.com";

// A value for an address's query: every character but letters, digits and
// "-._~" percent-encoded as UTF-8, so no value can end or split the query.
QString PercentEncodedQueryValue(const QString& value);

// This installation's identifier: 16 hexadecimal digits of a SHA-256 of the
// machine's identity (/etc/machine-id, else the host name) and the program
// folder. The same at every run of one installation, another for another
// folder or machine, and it names neither.
QString InstallationIdentifier();

// The root of the maker's site.
QString MakerSiteAddress();
// The product's page on the maker's site.
QString ProductPageAddress();
// The support mail with its subject naming this installation.
QString SupportMailAddress(const QString& installationId);
// The update check for this installation and version.
QString UpdateCheckAddress(const QString& installationId, const QString& version);
