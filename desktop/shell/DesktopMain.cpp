#include "desktop/shell/DesktopMain.h"

#include "common/RegistryRoutines.h"
#include "common/TranslationFile.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/FirstWindow.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/WindowSwitch.h"
#include "desktop/shell/mdlMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

const char* const kScreenshotSwitch = "--screenshot";

void say(const QString& text)
{
    std::fprintf(stderr, "Ringvale: %s\n", text.toLocal8Bit().constData());
}

bool writeScreenshot(QWidget* window, const QString& path)
{
    QApplication::processEvents();
    QString error;
    if (SaveWindowScreenshot(window, path, &error))
        return true;
    say(QStringLiteral("cannot write the screenshot %1: %2").arg(QFileInfo(path).absoluteFilePath(), error));
    return false;
}

int ShowOneWindow(const QString& name, const QStringList& arguments, const QString& screenshot)
{
    const qsizetype pageAt = arguments.indexOf(QLatin1String("--page"));
    const QString page = pageAt >= 0 ? arguments.value(pageAt + 1) : QString();
    QWidget* window = WindowSwitch::load(name, page);
    if (!window) {
        say(QStringLiteral("--window: no window is named \"%1\".").arg(name));
        return 2;
    }
    int status = 0;
    if (screenshot.isEmpty()) {
        WindowSwitch::run(name);
    } else {
        window->show();
        status = writeScreenshot(window, screenshot) ? 0 : 1;
    }
    WindowSwitch::unload(name);
    return status;
}

} // namespace

void PrepareDesktopPlatform(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kScreenshotSwitch) == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

bool SaveWindowScreenshot(QWidget* window, const QString& path, QString* error)
{
    const QPixmap picture = window->grab();
    QImageWriter writer(path, "png");
    if (writer.write(picture.toImage()))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}

int DesktopMain(const QStringList& arguments)
{
    QString screenshot;
    const qsizetype at = arguments.indexOf(QLatin1String(kScreenshotSwitch));
    if (at >= 0) {
        screenshot = arguments.value(at + 1);
        if (screenshot.isEmpty()) {
            say(QStringLiteral("--screenshot needs the name of the PNG file to write."));
            return 2;
        }
    }

    const qsizetype named = arguments.indexOf(QLatin1String("--window"));
    if (named < 0 && screenshot.isEmpty()) {
        mdlMain start;
        int status = 0;
        if (start.Main(arguments) == mdlMain::Outcome::Running && !g_bExiting)
            status = QApplication::exec();
        UnloadMainWindow();
        return status;
    }

    LoadChosenTranslation();
    if (g_bRTL())
        QApplication::setLayoutDirection(Qt::RightToLeft);

    if (named >= 0)
        return ShowOneWindow(arguments.value(named + 1), arguments, screenshot);

    const std::unique_ptr<QWidget> window = CreateFirstWindow();
    window->show();
    if (screenshot.isEmpty())
        return QApplication::exec();

    return writeScreenshot(window.get(), screenshot) ? 0 : 1;
}
