#pragma once

#include <QByteArray>

#include <optional>

// One text on the wire between two channel endpoints: a 4-byte big-endian
// length, then that many bytes of UTF-8. The bytes are carried as they are, so
// CR LF, the character 20 and NUL pass unchanged.
namespace ChannelFrame {

// Texts longer than this are refused by the sender and the receiver alike, so
// a corrupt or hostile length cannot make a receiver hold more. The longest
// text the programs send is a mail body, far below it.
inline constexpr qsizetype MaxPayload = 1024 * 1024;
inline constexpr qsizetype HeaderSize = 4;

QByteArray encode(const QByteArray& payload);

// Collects bytes as they arrive and hands out whole payloads in order.
class Reader {
public:
    // Bytes after a refused length are dropped unread.
    void append(const QByteArray& bytes)
    {
        if (!m_failed)
            m_buffer.append(bytes);
    }
    // The next whole payload, or nothing until more bytes have come.
    std::optional<QByteArray> next();
    // A length beyond MaxPayload arrived: the stream cannot be trusted further.
    bool failed() const { return m_failed; }
    qsizetype buffered() const { return m_buffer.size() - m_offset; }

private:
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    bool m_failed = false;
};

} // namespace ChannelFrame
