#include "desktop/shell/DesktopMain.h"

#include "common/ChannelMessages.h"
#include "common/Waits.h"
#include "desktop/calls/CallsOpeners.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/WindowSwitch.h"
#include "desktop/shell/frmMessenger.h"
#include "desktop/shell/mdlMain.h"
#include "platform/MessageControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

const char* const kScreenshotSwitch = "--screenshot";
// How long a screenshot run waits for the service it started to listen, so
// that its exit can end it.
constexpr qint64 kServiceListenMs = 10000;

void say(const QString& text)
{
    std::fprintf(stderr, "Ringvale: %s\n", text.toLocal8Bit().constData());
}

// The program's own options, off the arguments; the rest are the switches.
struct Options {
    QStringList switches;
    QString screenshot;
    QString window;
    QString page;
    QString problem; // a bad command line
};

Options takeOptions(const QStringList& arguments)
{
    Options options;
    const bool oneWindow = arguments.contains(QLatin1String("--window"));
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        QString* value = argument == QLatin1String(kScreenshotSwitch) ? &options.screenshot
            : argument == u"--window"                                 ? &options.window
            : argument == u"--page" && oneWindow                      ? &options.page
                                                                      : nullptr;
        if (!value) {
            options.switches.append(argument);
            continue;
        }
        *value = arguments.value(++i);
        if (value->isEmpty() && options.problem.isEmpty()) {
            options.problem = argument == QLatin1String(kScreenshotSwitch)
                ? QStringLiteral("--screenshot needs the name of the PNG file to write.")
                : argument + QStringLiteral(" needs a value.");
        }
    }
    return options;
}

// Under a real X server the native window's first configure can arrive after
// the layout sized it, so a grab right after show() may catch the default
// 640x480. Grab once the window is exposed and its size has held for a while.
void waitForASettledWindow(QWidget* window)
{
    constexpr qint64 kSettledMs = 60;
    constexpr qint64 kGiveUpMs = 3000;
    QTimer ticks;
    ticks.start(15);
    QElapsedTimer since;
    since.start();
    QElapsedTimer held;
    held.start();
    QSize last = window->size();
    WaitLettingEventsRun(kGiveUpMs, [&] {
        if (window->size() != last) {
            last = window->size();
            held.restart();
        }
        const QWindow* handle = window->windowHandle();
        const bool exposed
            = !handle || handle->isExposed() || QGuiApplication::platformName() == QLatin1String("offscreen");
        return (exposed && held.elapsed() >= kSettledMs) || since.elapsed() >= kGiveUpMs;
    });
}

bool writeScreenshot(QWidget* window, const QString& path)
{
    QApplication::processEvents();
    waitForASettledWindow(window);
    QString error;
    if (SaveWindowScreenshot(window, path, &error))
        return true;
    say(QStringLiteral("cannot write the screenshot %1: %2").arg(QFileInfo(path).absoluteFilePath(), error));
    return false;
}

// In plain mode the load launched the service; the exit's "UNLOAD" reaches
// it only once it listens, else it would outlive the screenshot.
void waitForTheServiceToListen()
{
    if (g_bServiceMode)
        return;
    MessageControl probe;
    if (!WaitLettingEventsRun(kServiceListenMs, [&] { return probe.Channel(ChannelNumber::ProcChannel); }))
        say(QStringLiteral("the service did not listen on 305 in time; it may go on running."));
}

// The window shows the line as the service has it, not as it was at the
// load: a screenshot waits for the service's first line state.
void waitForTheLineState()
{
    if (!WaitLettingEventsRun(kServiceListenMs, [] { return g_lLineStatusCount > 0; }))
        say(QStringLiteral("the service did not report the line state in time; the screenshot shows the line "
                           "as the window loaded it."));
}

int ShowOneWindow(const Options& options)
{
    LoadChosenTranslation();
    QWidget* window = WindowSwitch::load(options.window, options.page);
    if (!window) {
        say(QStringLiteral("--window: no window is named \"%1\".").arg(options.window));
        return 2;
    }
    int status = 0;
    if (options.screenshot.isEmpty()) {
        WindowSwitch::run(options.window);
    } else {
        window->show();
        status = writeScreenshot(window, options.screenshot) ? 0 : 1;
    }
    WindowSwitch::unload(options.window);
    return status;
}

int StartNormally(const Options& options)
{
    // A screenshot run ends only the service it started itself.
    const bool serviceWasThere
        = !options.screenshot.isEmpty() && MessageControl().Channel(ChannelNumber::ProcChannel);
    mdlMain start;
    int status = 0;
    const bool running = start.Main(options.switches) == mdlMain::Outcome::Running && !g_bExiting;
    if (!options.screenshot.isEmpty()) {
        auto* window = dynamic_cast<QWidget*>(LoadedMainWindow());
        if (running && window) {
            waitForTheLineState();
            status = writeScreenshot(window, options.screenshot) ? 0 : 1;
            if (!serviceWasThere) {
                waitForTheServiceToListen();
                LoadedMainWindow()->ExitApp();
            }
        } else {
            say(QStringLiteral("no screenshot: the main window was not loaded."));
            status = 1;
        }
    } else if (running) {
        status = QApplication::exec();
    }
    UnloadMainWindow();
    return status;
}

} // namespace

bool AsksForHelp(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return true;
    }
    return false;
}

void PrintDesktopHelp()
{
    const QString text
        = QStringLiteral("usage: Ringvale [-st | -uia | -uis]\n"
                         "       Ringvale --window NAME [--page KEY] [--screenshot FILE]\n"
                         "       Ringvale --screenshot FILE\n"
                         "\n"
                         "The desktop program of Ringvale: the calls, the contacts and the settings,\n"
                         "beside the line service RingvaleSvc, which it starts.\n"
                         "\n"
                         "  (none)                  start; a desktop already running stays the only one\n"
                         "  -st                     start hidden in the system tray\n"
                         "  -uia                    end the running desktop\n"
                         "  -uis                    stop and remove the service's systemd user unit\n"
                         "  --window NAME           one window alone, over this installation's data;\n"
                         "                          NAME is one of:\n"
                         "                          %1\n"
                         "  --page KEY              with --window: the page (tab) to show first\n"
                         "  --screenshot FILE       write the main window, or the --window one, as PNG\n"
                         "                          and end\n"
                         "  --help                  this text\n"
                         "\n"
                         "RINGVALE_HOME names the program folder (else the executable's folder);\n"
                         "RINGVALE_REGISTRY the settings folder (else $XDG_CONFIG_HOME/Ringvale).\n");
    std::fputs(text.arg(WindowSwitch::names().join(QStringLiteral("\n                          ")))
                   .toLocal8Bit()
                   .constData(),
        stdout);
    std::fflush(stdout);
}

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
    const Options options = takeOptions(arguments);
    if (!options.problem.isEmpty()) {
        say(options.problem);
        return 2;
    }
    InstallCallsWindowOpeners();
    // The caller pop-up of the whole run, for calls and the previews.
    frmMessenger messenger;
    SetCallerPopUp(&messenger);
    const int status = options.window.isEmpty() ? StartNormally(options) : ShowOneWindow(options);
    SetCallerPopUp(nullptr);
    return status;
}
