#include "desktop/foundation/HelpPages.h"

#include "common/AppPaths.h"
#include "desktop/foundation/AddressOpener.h"

#include <QFileInfo>
#include <QUrl>

#include <cstdio>

namespace {

bool openHelpFile(const QString& relative)
{
    const QString path = AppPaths::programFolder() + QStringLiteral("/Help/HelpEng/") + relative;
    if (!QFileInfo(path).isFile()) {
        std::fprintf(stderr, "Ringvale: the help page %s is missing\n", qPrintable(path));
        std::fflush(stderr);
        return false;
    }
    return CurrentAddressOpener().Open(QUrl::fromLocalFile(path).toString());
}

} // namespace

bool ShowHelpPage(const QString& page)
{
    // Page names are the program's own, never a path.
    if (page.isEmpty() || page.contains(QLatin1Char('/')) || page.startsWith(QLatin1Char('.')))
        return false;
    return openHelpFile(QStringLiteral("Pages/") + page + QStringLiteral(".htm"));
}

bool ShowHelpStart()
{
    return openHelpFile(QStringLiteral("index.htm"));
}
