#pragma once

#include <QString>

// Where the maker and the product are found on the web, on a reserved example
// domain, and the addresses built from them for the menus and the about box.

inline constexpr char kMakerSite[] = "https://www.example.com";
inline constexpr char kSupportMail[] = "support@example.com";

// A value for an address's query: every character but letters, digits and
// "-._~" percent-encoded as UTF-8, so no value can end or split the query.
QString PercentEncodedQueryValue(const QString& value);

// The root of the maker's site.
QString MakerSiteAddress();
// The product's page on the maker's site.
QString ProductPageAddress();
// The support mail with its subject naming this installation.
QString SupportMailAddress(const QString& installationId);
// The update check for this installation and version.
QString UpdateCheckAddress(const QString& installationId, const QString& version);
