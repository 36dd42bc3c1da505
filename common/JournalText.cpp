#include "common/JournalText.h"

namespace {

constexpr qint64 kBlockBytes = 16 * 1024;

const QString kEarlierLinesLeftOut = QStringLiteral("(earlier lines of this journal are not shown)");

} // namespace

JournalText::JournalText(bool escaped, qint64 maxBytes)
    : m_escaped(escaped)
    , m_maxBytes(maxBytes)
{
}

bool JournalText::open(const QString& path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = m_file.size();
    Extent extent{0, size, size > m_maxBytes};
    if (extent.leftOut) {
        // The shown part starts after the first line end at or after the
        // byte before the bound: the text starts on a whole line.
        extent.from = size;
        qint64 at = size - m_maxBytes - 1;
        if (!m_file.seek(at))
            return false;
        while (at < size) {
            const QByteArray block = m_file.read(qMin(kBlockBytes, size - at));
            if (block.isEmpty())
                return false;
            if (const qsizetype lineEnd = block.indexOf('\n'); lineEnd >= 0) {
                extent.from = at + lineEnd + 1;
                break;
            }
            at += block.size();
        }
    }
    return open(path, extent);
}

bool JournalText::open(const QString& path, const Extent& extent)
{
    if (m_file.fileName() != path || !m_file.isOpen()) {
        m_file.close();
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::ReadOnly))
            return false;
    }
    m_extent = extent;
    m_position = extent.from;
    m_noteGiven = false;
    m_carry.clear();
    return m_file.seek(m_position);
}

std::optional<QByteArray> JournalText::next()
{
    QByteArray text;
    if (!m_noteGiven) {
        m_noteGiven = true;
        if (m_extent.leftOut)
            text = textOf(kEarlierLinesLeftOut.toUtf8());
    }
    while (m_position < m_extent.to) {
        const QByteArray block = m_file.read(qMin(kBlockBytes, m_extent.to - m_position));
        if (block.isEmpty())
            return std::nullopt;
        m_position += block.size();
        m_carry += block;
        const qsizetype lastEnd = m_carry.lastIndexOf('\n');
        if (lastEnd < 0)
            continue; // a line longer than a block: read on
        text += textOf(QByteArrayView(m_carry).first(lastEnd));
        m_carry.remove(0, lastEnd + 1);
        return text;
    }
    // The last line need not end with a line end.
    if (!m_carry.isEmpty()) {
        text += textOf(m_carry);
        m_carry.clear();
    }
    return text;
}

std::optional<QByteArray> JournalText::readAll()
{
    QByteArray all;
    for (;;) {
        const std::optional<QByteArray> piece = next();
        if (!piece)
            return std::nullopt;
        if (piece->isEmpty())
            return all;
        all += *piece;
    }
}

QByteArray JournalText::textOf(QByteArrayView lines) const
{
    // Line by line, so a byte that is no UTF-8 spoils its own line only.
    QString text;
    text.reserve(lines.size() + lines.size() / 32 + 16);
    qsizetype from = 0;
    for (;;) {
        qsizetype end = lines.indexOf('\n', from);
        const bool last = end < 0;
        if (last)
            end = lines.size();
        QByteArrayView line = lines.sliced(from, end - from);
        if (line.endsWith('\r'))
            line.chop(1);
        text += QString::fromUtf8(line);
        text += QStringLiteral("\r\n");
        if (last)
            break;
        from = end + 1;
    }
    return (m_escaped ? text.toHtmlEscaped() : text).toUtf8();
}
