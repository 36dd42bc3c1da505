#include "tests/support/RecordedLaunch.h"

#include <QFile>

namespace {

QString unescaped(QStringView text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\\' && i + 1 < text.size()) {
            const QChar next = text.at(++i);
            result += next == u'r' ? QChar(u'\r') : next == u'n' ? QChar(u'\n') : next;
        } else {
            result += text.at(i);
        }
    }
    return result;
}

} // namespace

std::optional<RecordedLaunch> readRecordedLaunch(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    RecordedLaunch launch;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype blank = line.indexOf(u' ');
        const QStringView kind = QStringView(line).left(blank);
        const QString value = unescaped(QStringView(line).mid(blank + 1));
        if (kind == u"arg") {
            launch.arguments.append(value);
        } else if (kind == u"env") {
            const qsizetype equals = value.indexOf(u'=');
            launch.environment.insert(value.left(equals), value.mid(equals + 1));
        } else if (kind == u"pid") {
            launch.pid = value.toLongLong();
        } else if (kind == u"sid") {
            launch.sid = value.toLongLong();
        } else if (kind == u"stdin") {
            launch.standardInput = value;
        } else if (kind == u"stdout") {
            launch.standardOutput = value;
        } else if (kind == u"fd") {
            launch.descriptors.append(value.toInt());
        }
    }
    return launch;
}

QString argsRecorderPath()
{
    return QStringLiteral(RINGVALE_BIN_DIR "/../tests/args-recorder");
}
