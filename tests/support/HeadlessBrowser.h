#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Headless Chromium as a person's browser in the tests: it loads one page,
// saves a screenshot of it and hands back the page as it built it.
namespace HeadlessBrowser {

// The browser program; nullopt when it is not installed (the test is then
// skipped: scripts/bootstrap installs it).
std::optional<QString> chromium();

struct Page {
    bool finished = false; // false: the browser did not end in time
    QString dom;
    QString errors; // what it wrote on standard error
};

// Loads url in a throw-away profile, writing a screenshot of 800 x 400 to
// screenshotPath (its folder is made); extraArgs go to the browser too.
Page load(const QString& browser, const QString& url, const QString& screenshotPath,
    const QStringList& extraArgs = {});

// The folder the tests' screenshots go to (build/screenshots).
QString screenshotFolder();

} // namespace HeadlessBrowser
