#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace AppPaths {

namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString executableFolder()
{
    // Works before a QCoreApplication exists, which the start-up needs.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString target = exe.symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    return QCoreApplication::applicationDirPath();
}

} // namespace

QString programFolder()
{
    const QString home = qEnvironmentVariable("RINGVALE_HOME");
    if (!home.isEmpty())
        return withoutTrailingSlash(QDir(home).absolutePath());
    return withoutTrailingSlash(executableFolder());
}

QString registryFolder()
{
    const QString store = qEnvironmentVariable("RINGVALE_REGISTRY");
    if (!store.isEmpty())
        return withoutTrailingSlash(QDir(store).absolutePath());
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return withoutTrailingSlash(config) + QStringLiteral("/Ringvale");
}

QString runtimeBase()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QFileInfo(base).isDir())
        base = QDir::tempPath();
    return withoutTrailingSlash(QDir(base).absolutePath());
}

QString runtimeFolder()
{
    const QString base = runtimeBase();
    const QByteArray hash
        = QCryptographicHash::hash(programFolder().toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    // The uid in the name keeps two users' folders apart in a shared /tmp.
    const QString folder
        = base + QStringLiteral("/ringvale-") + QString::number(getuid()) + u'-' + QString::fromLatin1(hash);
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st { };
    // Someone else's folder (or a link planted in /tmp) must never be used.
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return {};
    if ((st.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return {};
    return folder;
}

} // namespace AppPaths
