#include "service/web/WebAccessSettings.h"

#include "common/RegistryRoutines.h"
#include "service/core/CallOptions.h"

#include <limits>

namespace {

const QString kSection = QStringLiteral("RemoteAccess\\TabInternetAccess");

qint32 number(const RegistryRoutines& reg, const QString& name)
{
    const std::optional<qint64> n = readWholeNumber(reg.getString(name));
    if (!n || *n < std::numeric_limits<qint32>::min() || *n > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(*n);
}

} // namespace

WebAccessSettings LoadWebAccessSettings()
{
    const RegistryRoutines reg = RegistryRoutines::forProduct(kSection);
    WebAccessSettings settings;
    settings.RCWWWAllow = number(reg, QStringLiteral("chkAllowWWWRemoteAccess"));
    settings.RCWWWPort = number(reg, QStringLiteral("txtWWWPort"));
    settings.RCWWWProtect = number(reg, QStringLiteral("chkWWWProtect"));
    settings.RCWWWUserName = reg.getString(QStringLiteral("txtWWWUserName"));
    settings.RCWWWPass = reg.getString(QStringLiteral("txtWWWPass"));
    return settings;
}

bool RemoteAccessAllowed()
{
    const std::optional<bool> allowed = readFlag(
        RegistryRoutines::forProduct(kSection).getString(QStringLiteral("chkAllowWWWRemoteAccess")));
    return allowed.value_or(false);
}
