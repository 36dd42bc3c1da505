#include "tests/support/HeadlessBrowser.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace HeadlessBrowser {

std::optional<QString> chromium()
{
    const QString path = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QString screenshotFolder()
{
    return QStringLiteral(RINGVALE_SCREENSHOT_DIR);
}

Page load(
    const QString& browser, const QString& url, const QString& screenshotPath, const QStringList& extraArgs)
{
    QDir().mkpath(QFileInfo(screenshotPath).absolutePath());
    QFile::remove(screenshotPath);
    QTemporaryDir profile;
    QProcess process;
    QStringList args = {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
        QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
        QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + profile.path(),
        QStringLiteral("--window-size=800,400"), QStringLiteral("--screenshot=") + screenshotPath,
        QStringLiteral("--dump-dom")};
    args += extraArgs;
    args += url;
    process.start(browser, args);
    Page page;
    if (!process.waitForStarted(testTimeout(10000)))
        return page;
    if (!process.waitForFinished(testTimeout(60000))) {
        process.kill();
        process.waitForFinished(testTimeout(5000));
        return page;
    }
    page.finished = true;
    page.dom = QString::fromUtf8(process.readAllStandardOutput());
    page.errors = QString::fromUtf8(process.readAllStandardError());
    return page;
}

} // namespace HeadlessBrowser
