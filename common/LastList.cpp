#include "common/LastList.h"

#include "common/SharedFile.h"

#include <QFile>
#include <QFileInfo>

namespace LastList {

namespace {

// A line is a number and a day folder; anything much longer is damage, kept
// only up to this length.
constexpr qint64 kMaxLineBytes = 4096;

} // namespace

QString lineFor(qint32 recordNumber, const QString& dayFolder)
{
    return QString::number(recordNumber) + u':' + dayFolder;
}

std::optional<Entry> parseLine(const QString& line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 1 || colon > 10)
        return std::nullopt;
    const QStringView number = QStringView(line).left(colon);
    if (number.front() == u'0')
        return std::nullopt;
    for (const QChar c : number) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint32 n = number.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return Entry{n, line.mid(colon + 1)};
}

std::optional<QStringList> readLines(const QString& path, qsizetype maxLines)
{
    QStringList lines;
    QFile file(path);
    if (!file.exists())
        return lines;
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    qint64 total = 0;
    while ((maxLines < 0 || lines.size() < maxLines) && !file.atEnd()) {
        QByteArray line = file.readLine(kMaxLineBytes + 1);
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        total += line.size();
        if (total > kMaxListBytes)
            break; // the line that crosses the bound is not whole
        if (line.endsWith('\n')) {
            line.chop(1);
        } else if (!file.atEnd()) {
            // Over-long line: keep its start, skip the rest.
            char c = 0;
            while (total <= kMaxListBytes && file.getChar(&c) && c != '\n')
                ++total;
            if (total > kMaxListBytes)
                break;
        }
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromUtf8(line));
    }
    return lines;
}

bool change(const QString& path, qsizetype maxLines, const std::function<bool(QStringList&)>& edit)
{
    SharedFile::setWriteFailure({});
    if (!SharedFile::makeFolder(QFileInfo(path).absolutePath()))
        return false;
    const SharedFileLock lock(path);
    if (!lock.isLocked()) {
        SharedFile::setWriteFailure(QStringLiteral("cannot lock ") + path);
        return false;
    }
    std::optional<QStringList> lines = readLines(path, maxLines);
    if (!lines || !edit(*lines))
        return false;
    QByteArray data;
    for (const QString& line : std::as_const(*lines))
        data += line.toUtf8() + "\r\n";
    return SharedFile::writeAtomically(path, data);
}

} // namespace LastList
