#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <pwd.h>
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

// "name (uid N)", or "uid N" for a user the system has no name for.
QString userName(uid_t uid)
{
    struct passwd entry { };
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QStringLiteral("%1 (uid %2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(uid);
    return QStringLiteral("uid %1").arg(uid);
}

QString modeText(mode_t mode)
{
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QChar(u'0'));
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

RuntimeFolder openRuntimeFolder()
{
    const QString base = runtimeBase();
    const QByteArray hash
        = QCryptographicHash::hash(programFolder().toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    // The uid in the name keeps two users' folders apart in a shared /tmp.
    const QString folder
        = base + QStringLiteral("/ringvale-") + QString::number(getuid()) + u'-' + QString::fromLatin1(hash);
    const QByteArray native = QFile::encodeName(folder);
    const QString elsewhere
        = QStringLiteral("set XDG_RUNTIME_DIR to a folder of your own (normally /run/user/%1)").arg(getuid());
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return {{},
            QStringLiteral("cannot make the runtime folder %1: %2; %3.")
                .arg(folder, QString::fromLocal8Bit(std::strerror(errno)), elsewhere)};
    }
    struct stat st { };
    if (::lstat(native.constData(), &st) != 0) {
        return {{},
            QStringLiteral("cannot examine the runtime folder %1: %2; %3.")
                .arg(folder, QString::fromLocal8Bit(std::strerror(errno)), elsewhere)};
    }
    // Someone else's folder (or a link planted in /tmp) must never be used.
    // Only for the messages: looking up a user name reads the user database,
    // and channels ask for the folder at every bind.
    const auto owner = [&st] {
        return QStringLiteral("owner %1, mode %2").arg(userName(st.st_uid), modeText(st.st_mode));
    };
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
        return {{},
            QStringLiteral("the runtime folder %1 is %2 (%3), not a folder; remove it, or %4.")
                .arg(folder,
                    S_ISLNK(st.st_mode) ? QStringLiteral("a symbolic link") : QStringLiteral("a file"),
                    owner(), elsewhere)};
    }
    if (st.st_uid != getuid()) {
        return {{},
            QStringLiteral("the runtime folder %1 belongs to %2, not to %3 (mode %4); remove it as its owner "
                           "or as root (rm -r '%1'), or %5.")
                .arg(folder, userName(st.st_uid), userName(getuid()), modeText(st.st_mode), elsewhere)};
    }
    if ((st.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0) {
        return {{},
            QStringLiteral("the runtime folder %1 (%2) cannot be made private: %3; remove it, or %4.")
                .arg(folder, owner(), QString::fromLocal8Bit(std::strerror(errno)), elsewhere)};
    }
    return {folder, {}};
}

QString runtimeFolder()
{
    return openRuntimeFolder().path;
}

} // namespace AppPaths
