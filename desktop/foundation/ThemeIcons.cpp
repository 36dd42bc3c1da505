#include "desktop/foundation/ThemeIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QStandardPaths>
#include <QStringList>

namespace {

void useFallbackTheme()
{
    static const bool done = [] {
        // Platforms without a desktop theme (offscreen) search only the
        // program's resources: the system's icon folders come after them.
        QStringList paths = QIcon::themeSearchPaths();
        QStringList system{QDir::homePath() + QStringLiteral("/.icons")};
        system << QStandardPaths::locateAll(
            QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
        for (const QString& folder : std::as_const(system))
            if (!paths.contains(folder) && QFileInfo(folder).isDir())
                paths << folder;
        QIcon::setThemeSearchPaths(paths);
        QIcon::setFallbackThemeName(QString::fromLatin1(kFallbackIconTheme));
        // No desktop told Qt its theme (a bare window manager, offscreen).
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor")
            QIcon::setThemeName(QString::fromLatin1(kFallbackIconTheme));
        return true;
    }();
    (void)done;
}

} // namespace

QIcon ThemeIcon(const QString& name)
{
    useFallbackTheme();
    return QIcon::fromTheme(name);
}

QIcon SizedThemeIcon(const QString& name, int side)
{
    const QIcon icon = ThemeIcon(name);
    if (icon.isNull())
        return icon;
    QPixmap picture = icon.pixmap(QSize(side * 2, side * 2));
    if (picture.deviceIndependentSize().toSize() != QSize(side, side))
        picture = picture.scaled(
            QSize(side, side) * picture.devicePixelRatio(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QIcon sized;
    sized.addPixmap(picture);
    return sized;
}
