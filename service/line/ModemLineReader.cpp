#include "service/line/ModemLineReader.h"

namespace {

const QString kUnknown = QStringLiteral("UNKNOWN");

// Parameter types of a caller-ID multiple-message block.
constexpr quint8 kMultipleMessage = 0x80;
constexpr quint8 kNumber = 0x02;
constexpr quint8 kNumberAbsent = 0x04;
constexpr quint8 kName = 0x07;
constexpr quint8 kNameAbsent = 0x08;

// MESG lines, measured as sent with the LF before them: one of this length
// stands for a missing field ("MESG = 0401", "MESG=040150"); a longer one is
// a message the modem could not decode, which takes a number's place.
constexpr qsizetype kShortMesgLine = 12;
constexpr qsizetype kLongMesgLineAbove = 20;

// UTF-8 when the bytes are, else one character per byte; control characters
// dropped, blanks trimmed. A line cut at its bound may end inside a
// character: that piece goes.
QString cleanText(QByteArrayView bytes)
{
    QString text;
    if (bytes.size() >= ModemLineReader::MaxLineBytes) {
        for (qsizetype drop = 0; drop < 4 && drop < bytes.size(); ++drop) {
            const QByteArrayView kept = bytes.first(bytes.size() - drop);
            if (kept.isValidUtf8()) {
                text = QString::fromUtf8(kept);
                break;
            }
            if (quint8(bytes.at(bytes.size() - 1 - drop)) < 0x80)
                break;
        }
    } else if (bytes.isValidUtf8()) {
        text = QString::fromUtf8(bytes);
    }
    if (text.isNull())
        text = QString::fromLatin1(bytes);
    QString out;
    out.reserve(text.size());
    for (const QChar c : std::as_const(text))
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && !(c.unicode() >= 0x80 && c.unicode() < 0xA0))
            out += c;
    return out.trimmed();
}

// "O" (out of area) and "P" (private) say why there is no name or number.
QString callerField(const QString& value)
{
    return (value == u"O" || value == u"P") ? kUnknown : value;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isHexLine(const QString& text)
{
    if (text.size() < 6 || text.size() % 2 != 0)
        return false;
    for (const QChar c : text)
        if (c.unicode() > 0x7F || hexValue(char(c.unicode())) < 0)
            return false;
    return true;
}

QList<ModemEvent> parseBlock(const QString& hex)
{
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2)
        bytes += char(hexValue(char(hex.at(i).unicode())) * 16 + hexValue(char(hex.at(i + 1).unicode())));
    const auto byte = [&bytes](qsizetype i) { return quint8(bytes.at(i)); };
    // Type, length, the parameters, and a checksum that makes the sum of
    // every byte 0 modulo 256.
    if (byte(0) != kMultipleMessage || bytes.size() != byte(1) + 3)
        return {};
    quint8 sum = 0;
    for (const char b : std::as_const(bytes))
        sum = quint8(sum + quint8(b));
    if (sum != 0)
        return {};
    QList<ModemEvent> events;
    const qsizetype end = bytes.size() - 1;
    for (qsizetype at = 2; at < end;) {
        if (at + 2 > end || at + 2 + byte(at + 1) > end)
            return {};
        const quint8 type = byte(at);
        const QByteArrayView data(bytes.constData() + at + 2, byte(at + 1));
        at += 2 + byte(at + 1);
        if (type == kNumber)
            events.append({ModemEvent::Number, callerField(cleanText(data))});
        else if (type == kNumberAbsent)
            events.append({ModemEvent::Number, kUnknown});
        else if (type == kName)
            events.append({ModemEvent::Name, callerField(cleanText(data))});
        else if (type == kNameAbsent)
            events.append({ModemEvent::Name, kUnknown});
    }
    // A field without text says nothing.
    events.removeIf([](const ModemEvent& event) { return event.text.isEmpty(); });
    return events;
}

} // namespace

QList<ModemEvent> ModemLineReader::read(QByteArrayView bytes)
{
    QList<ModemEvent> events;
    for (const char c : bytes) {
        if (m_skipNext) {
            m_skipNext = false;
            continue;
        }
        if (c == Dle) {
            m_skipNext = true;
            continue;
        }
        const bool lfOfCrLf = c == '\n' && m_afterCr;
        m_afterCr = c == '\r';
        if (lfOfCrLf)
            continue;
        if (c == '\r' || c == '\n') {
            endLine(events);
            continue;
        }
        if (m_line.size() < MaxLineBytes)
            m_line += c;
    }
    return events;
}

void ModemLineReader::endLine(QList<ModemEvent>& events)
{
    events += parseLine(m_line);
    m_line.clear();
}

QList<ModemEvent> ModemLineReader::parseLine(QByteArrayView line)
{
    const QString text = cleanText(line.first(std::min(line.size(), MaxLineBytes)));
    if (text.isEmpty())
        return {};
    const QString upper = text.toUpper();
    if (upper == u"OK")
        return {{ModemEvent::Ok, {}}};
    if (upper == u"ERROR")
        return {{ModemEvent::Error, {}}};
    if (upper == u"RING" || upper.startsWith(u"RING "))
        return {{ModemEvent::Ring, {}}};
    const qsizetype equals = text.indexOf(u'=');
    if (equals > 0) {
        const QString key = upper.left(equals).trimmed();
        const QString value = text.mid(equals + 1).trimmed();
        if (key == u"MESG")
            return {{ModemEvent::Mesg, value, std::min(line.size(), MaxLineBytes) + 1}};
        if (value.isEmpty())
            return {};
        if (key == u"NAME")
            return {{ModemEvent::Name, callerField(value)}};
        if (key == u"NMBR" || key == u"DDN_NMBR")
            return {{ModemEvent::Number, callerField(value)}};
        return {};
    }
    if (isHexLine(text))
        return parseBlock(text);
    return {};
}

void ModemCaller::apply(const ModemEvent& event, qint64 atMs)
{
    switch (event.kind) {
    case ModemEvent::Ring:
        bNameSeen = false;
        bNumberSeen = false;
        break;
    case ModemEvent::Name:
        sCallerName = event.text;
        bNameSeen = true;
        m_nameAtMs = atMs;
        break;
    case ModemEvent::Number:
        sCallerNumber = event.text;
        bNumberSeen = true;
        m_numberAtMs = atMs;
        break;
    case ModemEvent::Mesg:
        if (event.lineLength > kLongMesgLineAbove) {
            // A name received before it stays.
            bNumberSeen = true;
            if (!bNameSeen) {
                bNameSeen = true;
                sCallerName = kUnknown;
            }
        } else if (event.lineLength == kShortMesgLine) {
            if (!bNumberSeen) {
                sCallerNumber = kUnknown;
                bNumberSeen = true;
            } else if (!bNameSeen) {
                sCallerName = kUnknown;
                bNameSeen = true;
            }
        }
        break;
    case ModemEvent::Ok:
    case ModemEvent::Error:
        break;
    }
}

void ModemCaller::forgetStale(qint64 nowMs)
{
    if (m_nameAtMs && nowMs - *m_nameAtMs > StaleBeforeRingMs) {
        sCallerName = kUnknown;
        m_nameAtMs.reset();
    }
    if (m_numberAtMs && nowMs - *m_numberAtMs > StaleBeforeRingMs) {
        sCallerNumber = kUnknown;
        m_numberAtMs.reset();
    }
}

void ModemCaller::reset()
{
    sCallerName = kUnknown;
    sCallerNumber = kUnknown;
    m_nameAtMs.reset();
    m_numberAtMs.reset();
}
