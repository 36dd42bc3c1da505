#include "common/TranslationFile.h"

#include "common/ProgramPath.h"
#include "common/SharedFile.h"
#include "common/SharedUtilities.h"

#include <QFileInfo>

namespace TranslationFile {

namespace {

// Far above 1000 lines of any language; a larger file is not a translation.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

} // namespace

ReadResult readLines(const QString& path, int count)
{
    ReadResult result;
    if (!QFileInfo::exists(path))
        return {{}, FileNotFound};
    const std::optional<QByteArray> read = SharedFile::readBounded(path, kMaxFileBytes);
    if (!read)
        return {{}, FileAccess};
    const QByteArray& data = *read;

    qsizetype start = 0;
    while (result.lines.size() < count && start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        qsizetype length = end - start;
        if (length > 0 && data[end - 1] == '\r')
            --length;
        QByteArrayView line(data.constData() + start, length);
        if (start == 0 && line.startsWith("\xEF\xBB\xBF"))
            line = line.sliced(3); // a BOM left by an editor would hide the line-1 mark
        result.lines.append(QString::fromUtf8(line));
        start = next;
    }
    if (result.lines.size() < count)
        result.error = InputPastEnd;
    return result;
}

QByteArray encode(const QStringList& lines)
{
    QByteArray data;
    for (int i = 0; i < kLineCount; ++i) {
        if (i < lines.size())
            data += withoutLineBreaks(lines[i]).toUtf8();
        data += "\r\n";
    }
    return data;
}

bool write(const QString& path, const QStringList& lines)
{
    // Only the desktop's editor writes translations; the service reads them
    // once at start, so the rename alone keeps every reader whole.
    return SharedFile::writeAtomically(path, encode(lines));
}

QStringList newTranslation(bool rightToLeft)
{
    QStringList lines(kLineCount);
    lines[kUserMarkLine - 1] = kUserMark;
    lines[kDirectionLine - 1] = rightToLeft ? kRightToLeft : kLeftToRight;
    return lines;
}

std::optional<QString> pathFor(const QString& fileName)
{
    if (fileName.isEmpty() || fileName == u"." || fileName == u".." || fileName.contains(u'/')
        || fileName.contains(u'\\'))
        return std::nullopt;
    return ProgramPath::toNative(QString(QStringLiteral("\\Trans\\") + fileName));
}

} // namespace TranslationFile
