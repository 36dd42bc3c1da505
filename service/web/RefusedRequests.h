#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// How many refused requests (400, 401, 403, 404, 501) of one address get a
// web-journal line each: the first kLinesPerMinute of its minute; the rest
// are counted and said in one summary line when the minute is over, so
// anyone who reaches the port cannot fill the disk with refusals. Addresses
// past kMaxAddresses in one minute share one count.
class RefusedRequests {
public:
    static constexpr int kLinesPerMinute = 20;
    static constexpr qint64 kMinuteMs = 60 * 1000;
    static constexpr int kMaxAddresses = 4096;

    // Whether this refusal of a request from address gets its own line, at
    // nowMs (a monotonic clock). The summary of the address's last minute,
    // when it is over, is appended to summaries first.
    bool admit(const QString& address, qint64 nowMs, QStringList& summaries);

    // The summaries of every minute that is over by nowMs; those addresses
    // are forgotten.
    QStringList takeSummaries(qint64 nowMs);

private:
    struct Minute {
        qint64 startMs = 0;
        int lines = 0;
        qint64 left = 0; // refusals without a line of their own
    };

    static QString summary(const QString& address, qint64 left);

    QHash<QString, Minute> m_minutes;
};
