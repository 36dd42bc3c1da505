#include "desktop/settings/AutostartEntry.h"

#include "common/SharedFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

constexpr qint64 kEntryLimit = 64 * 1024;

void say(const QString& text)
{
    const QByteArray line = text.toUtf8();
    std::fprintf(stderr, "Ringvale: %s\n", line.constData());
    std::fflush(stderr);
}

QString configFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (!config.isEmpty() && QDir::isAbsolutePath(config))
        return config;
    return QDir::homePath() + QStringLiteral("/.config");
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(
        text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c == u'\x7f'; });
}

// One argument of Exec as the desktop-entry rules quote it: reserved
// characters put it in double quotes, where " ` $ \ take a backslash; "%"
// is doubled (field codes).
QString execArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`=");
    QString quoted = argument;
    quoted.replace(u'%', QStringLiteral("%%"));
    const bool needsQuotes = argument.isEmpty()
        || std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); });
    if (!needsQuotes)
        return quoted;
    QString inner;
    for (const QChar c : quoted) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            inner += u'\\';
        inner += c;
    }
    return u'"' + inner + u'"';
}

} // namespace

namespace AutostartEntry {

QString path()
{
    return configFolder() + QStringLiteral("/autostart/Ringvale.desktop");
}

std::optional<QByteArray> text()
{
    QStringList command;
    const QString home = qEnvironmentVariable("RINGVALE_HOME");
    const QString registry = qEnvironmentVariable("RINGVALE_REGISTRY");
    if (!home.isEmpty() || !registry.isEmpty()) {
        command << QStringLiteral("env");
        if (!home.isEmpty())
            command << QStringLiteral("RINGVALE_HOME=") + QDir(home).absolutePath();
        if (!registry.isEmpty())
            command << QStringLiteral("RINGVALE_REGISTRY=") + QDir(registry).absolutePath();
    }
    command << QCoreApplication::applicationFilePath() << QStringLiteral("-st");
    QStringList arguments;
    for (const QString& argument : std::as_const(command)) {
        if (hasControlCharacter(argument))
            return std::nullopt;
        arguments << execArgument(argument);
    }
    // The entry's own escape: every backslash of Exec is written twice.
    QString exec = arguments.join(u' ');
    exec.replace(u'\\', QStringLiteral("\\\\"));
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Ringvale\n"
                                         "Comment=Ringvale 1.1 in the tray\nExec=")
        + exec + QStringLiteral("\nTerminal=false\n");
    return entry.toUtf8();
}

bool isOurs()
{
    const std::optional<QByteArray> expected = text();
    QFile file(path());
    if (!expected || !file.open(QIODevice::ReadOnly))
        return false;
    return file.read(kEntryLimit + 1) == *expected;
}

bool write()
{
    const std::optional<QByteArray> entry = text();
    if (!entry) {
        say(QStringLiteral("the autostart entry is not written: a folder's name holds a control character"));
        return false;
    }
    const QString target = path();
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !SharedFile::writeAtomically(target, *entry)) {
        say(QStringLiteral("cannot write the autostart entry ") + target + QStringLiteral(": ")
            + SharedFile::lastWriteFailure());
        return false;
    }
    return true;
}

bool remove()
{
    const QString target = path();
    if (!QFileInfo::exists(target) && !QFileInfo(target).isSymLink())
        return true;
    if (QFile::remove(target))
        return true;
    say(QStringLiteral("cannot remove the autostart entry ") + target);
    return false;
}

} // namespace AutostartEntry
