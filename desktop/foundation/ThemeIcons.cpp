#include "desktop/foundation/ThemeIcons.h"

namespace {

void useFallbackTheme()
{
    static const bool done = [] {
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
