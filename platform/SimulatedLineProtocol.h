#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// One request to the simulated line's control socket. Requests and replies
// are single lines of JSON, so names and numbers pass whatever they hold.
struct SimulatedLineRequest {
    QString command; // call, offer, ring, cid, hangup, answer, status, fail
    int line = -1; // -1: line 0, or every line for status
    std::optional<QString> number;
    std::optional<QString> name;
    QString audio; // absolute path of the far end's sound
    int rings = 4;
    int cidAfterRing = 1;
    int hangupAfterRing = -1;
    bool fast = false;
    QStringList failures; // for fail; empty clears
    int times = -1; // for fail; -1 until cleared
};

// What comes back: progress lines while a call runs, then one final line.
struct SimulatedLineReply {
    bool final = false;
    bool ok = false;
    QString text;
};

namespace SimulatedLineProtocol {

inline constexpr qsizetype MaxLineBytes = 64 * 1024;

const QStringList& commands();
// line.sock in the private runtime folder; empty when there is none.
QString socketPath();

QByteArray encodeRequest(const SimulatedLineRequest& request);
std::optional<SimulatedLineRequest> decodeRequest(const QByteArray& line, QString* error);
QByteArray encodeReply(const SimulatedLineReply& reply);
std::optional<SimulatedLineReply> decodeReply(const QByteArray& line);

} // namespace SimulatedLineProtocol
