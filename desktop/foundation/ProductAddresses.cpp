#include "desktop/foundation/ProductAddresses.h"

#include "common/AppPaths.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>

QString PercentEncodedQueryValue(const QString& value)
{
    return QString::fromLatin1(value.toUtf8().toPercentEncoding());
}

QString InstallationIdentifier()
{
    QByteArray machine;
    QFile file(QStringLiteral("/etc/machine-id"));
    if (file.open(QIODevice::ReadOnly))
        machine = file.read(256).trimmed();
    if (machine.isEmpty())
        machine = QSysInfo::machineHostName().toUtf8();
    const QByteArray identity = machine + '\0' + AppPaths::programFolder().toUtf8();
    const QByteArray digest = QCryptographicHash::hash(identity, QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(16));
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
