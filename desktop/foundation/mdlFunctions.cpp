#include "desktop/foundation/mdlFunctions.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <sys/utsname.h>

#include <cmath>

QString ReplacePlaceholder(const QString& text, const QString& value)
{
    static const QString placeholder = QStringLiteral("<%S>");
    const qsizetype at = text.indexOf(placeholder);
    if (at < 0)
        return text;
    return text.left(at) + value + text.mid(at + placeholder.size());
}

QString GetFileNameFromPath(const QString& path)
{
    return path.mid(path.lastIndexOf(u'\\') + 1);
}

bool IsValidEmail(const QString& address)
{
    static const QString forbidden = QStringLiteral("!#$%^&*()=+{}[]|\\;:'/?>,< ");
    const qsizetype at = address.indexOf(u'@');
    if (at < 0 || !address.contains(u'.'))
        return false;
    if (address.toUcs4().size() < 6)
        return false;
    const QString domain = address.mid(at + 1);
    if (domain.contains(u'@') || domain.contains(u' ') || !domain.contains(u'.'))
        return false;
    if (address.contains(u'"'))
        return false;
    for (const QChar c : forbidden) {
        if (address.contains(c))
            return false;
    }
    return !address.contains(QStringLiteral(".."));
}

double RoundHalfEven(double x)
{
    if (std::abs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return std::round(x);
}

QString FormatSeconds(qint32 seconds)
{
    qint64 s = seconds;
    const bool negative = s < 0;
    if (negative)
        s = -s;
    const qint64 hours = s / 3600;
    const qint64 minutes = s / 60 - 60 * hours;
    return (negative ? QStringLiteral("-") : QString()) + QString::number(hours) + u':'
        + QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0')) + u':'
        + QStringLiteral("%1").arg(s % 60, 2, 10, QLatin1Char('0'));
}

bool IsSpeechDataFolder(const QString& folder)
{
    const QDir dir(folder);
    for (const char* table : {"phontab", "phonindex", "phondata"}) {
        if (!QFileInfo(dir.filePath(QString::fromLatin1(table))).isFile())
            return false;
    }
    // Voices are described under "voices" (older data) or "lang".
    for (const char* voices : {"lang", "voices"}) {
        const QDir sub(dir.filePath(QString::fromLatin1(voices)));
        if (sub.exists() && !sub.isEmpty())
            return true;
    }
    return false;
}

bool IsSpeechInstalled()
{
    // Only finds the data folder (ESPEAK_DATA_PATH or the built-in one); no
    // engine or sound output is started.
    espeak_ng_InitializePath(nullptr);
    const char* dataPath = nullptr;
    espeak_Info(&dataPath);
    if (!dataPath || !*dataPath)
        return false;
    return IsSpeechDataFolder(QFile::decodeName(dataPath));
}

namespace {

// A value of os-release: shell-style, optionally in single or double quotes,
// backslash escaping in double quotes.
QString osReleaseValue(const QByteArray& text, const QByteArray& key)
{
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (!line.startsWith(QByteArray(key + '=')))
            continue;
        QByteArray value = line.mid(key.size() + 1);
        if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
            return QString::fromUtf8(value.mid(1, value.size() - 2));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            QByteArray unescaped;
            for (qsizetype i = 1; i < value.size() - 1; ++i) {
                if (value[i] == '\\' && i + 1 < value.size() - 1)
                    ++i;
                unescaped += value[i];
            }
            return QString::fromUtf8(unescaped);
        }
        return QString::fromUtf8(value);
    }
    return {};
}

} // namespace

QString OperatingSystemName(
    const QByteArray& osRelease, const QString& kernelName, const QString& kernelRelease)
{
    QString name = osReleaseValue(osRelease, "PRETTY_NAME");
    if (name.isEmpty())
        name = QString(osReleaseValue(osRelease, "NAME") + u' ' + osReleaseValue(osRelease, "VERSION"))
                   .trimmed();
    const QString kernel = QString(kernelName + u' ' + kernelRelease).trimmed();
    if (name.isEmpty())
        return kernel;
    if (kernel.isEmpty())
        return name;
    return name + QStringLiteral(", ") + kernel;
}

QString OperatingSystemName()
{
    QByteArray osRelease;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            osRelease = file.read(64 * 1024);
            break;
        }
    }
    struct utsname uts { };
    if (::uname(&uts) != 0)
        return OperatingSystemName(osRelease, QString(), QString());
    return OperatingSystemName(
        osRelease, QString::fromLocal8Bit(uts.sysname), QString::fromLocal8Bit(uts.release));
}
