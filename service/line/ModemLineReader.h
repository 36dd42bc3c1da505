#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// One thing a caller-ID modem said on its serial port.
struct ModemEvent {
    enum Kind { Ok, Error, Ring, Name, Number, Mesg };
    Kind kind = Ok;
    // Name and Number: the caller's, "UNKNOWN" when withheld or unavailable;
    // Mesg: what the line carried. Never holds a control character.
    QString text;
    // Mesg: the line's length as the modem sent it, counting the LF that
    // ends the line before it (a modem ends its lines with CR LF) and every
    // blank; what the message means is told by this length alone.
    qsizetype lineLength = 0;

    friend bool operator==(const ModemEvent&, const ModemEvent&) = default;
};

// Reads the bytes a modem sends, as they arrive in reads of any size, into
// events. CR, LF and CR LF each end a line; a DLE (16) and the byte after it
// are dropped (a voice modem's shielded codes); a line is at most
// MaxLineBytes long, the rest of it dropped. Lines that carry nothing the
// line engine uses (DATE, TIME, echoes of commands, unknown keys) give no
// event.
class ModemLineReader {
public:
    static constexpr qsizetype MaxLineBytes = 256;
    static constexpr char Dle = 16;

    // The events of the lines these bytes end, in order.
    QList<ModemEvent> read(QByteArrayView bytes);

    // The events of one whole line, without its end:
    // - "OK", "ERROR", "RING" (a distinctive ring's "RING A" too);
    // - "KEY=value" or "KEY = value" with NAME, NMBR, DDN_NMBR or MESG; a
    //   name or number of only "O" (unavailable) or "P" (private) is
    //   "UNKNOWN";
    // - a line of hex digits: a caller-ID multiple-message block, as a modem
    //   sends it when asked for raw caller ID; its number and name when its
    //   checksum holds, nothing when not.
    static QList<ModemEvent> parseLine(QByteArrayView line);

private:
    void endLine(QList<ModemEvent>& events);

    QByteArray m_line;
    bool m_skipNext = false;
    bool m_afterCr = false;
};

// The caller of the call in progress as the modem's lines report it
// (sCallerName and the others of the modem path). Every RING starts a fresh
// caller-ID block: what arrives after it is taken, whatever came before.
struct ModemCaller {
    // Some networks send the caller ID before the first ring; a name or
    // number older than this at the first ring was left by something else.
    static constexpr qint64 StaleBeforeRingMs = 10000;

    QString sCallerName = QStringLiteral("UNKNOWN");
    QString sCallerNumber = QStringLiteral("UNKNOWN");
    // A name, or a number, was settled since the last RING.
    bool bNameSeen = false;
    bool bNumberSeen = false;

    // Takes a Ring, Name, Number or Mesg event that arrived at atMs (on the
    // clock's elapsed time); others change nothing.
    void apply(const ModemEvent& event, qint64 atMs = 0);
    // At the first RING: a name or number that came more than
    // StaleBeforeRingMs before nowMs is "UNKNOWN" again.
    void forgetStale(qint64 nowMs);
    // A new call: both "UNKNOWN" (the seen flags belong to the rings).
    void reset();

private:
    std::optional<qint64> m_nameAtMs;
    std::optional<qint64> m_numberAtMs;
};
