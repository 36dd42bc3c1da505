#include "platform/ChannelFrame.h"

#include <QtEndian>

namespace ChannelFrame {

QByteArray encode(const QByteArray& payload)
{
    QByteArray frame(HeaderSize, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(payload.size()), frame.data());
    frame.append(payload);
    return frame;
}

std::optional<QByteArray> Reader::next()
{
    if (m_failed || buffered() < HeaderSize)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_offset);
    if (length > static_cast<quint32>(MaxPayload)) {
        m_failed = true;
        m_buffer.clear();
        m_offset = 0;
        return std::nullopt;
    }
    if (buffered() - HeaderSize < static_cast<qsizetype>(length))
        return std::nullopt;
    QByteArray payload = m_buffer.mid(m_offset + HeaderSize, length);
    m_offset += HeaderSize + length;
    // Drop what was handed out once it is worth the copy, so a long stream of
    // small texts does not keep growing the buffer.
    if (m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    } else if (m_offset > 64 * 1024 && m_offset * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    return payload;
}

} // namespace ChannelFrame
