#include "desktop/foundation/ProductAddresses.h"

#include <QByteArray>

QString PercentEncodedQueryValue(const QString& value)
{
    return QString::fromLatin1(value.toUtf8().toPercentEncoding());
}

QString MakerSiteAddress()
{
    return QString::fromLatin1(kMakerSite) + u'/';
}

QString ProductPageAddress()
{
    return QString::fromLatin1(kMakerSite) + QStringLiteral("/caller-id/");
}

QString SupportMailAddress(const QString& installationId)
{
    return QStringLiteral("mailto:") + QString::fromLatin1(kSupportMail)
        + QStringLiteral("?subject=Support from Ringvale  ") + installationId;
}

QString UpdateCheckAddress(const QString& installationId, const QString& version)
{
    return ProductPageAddress() + QStringLiteral("newversion/CheckForNewVer.asp?Comment=")
        + PercentEncodedQueryValue(installationId) + QStringLiteral("&CurVer=")
        + PercentEncodedQueryValue(version);
}
