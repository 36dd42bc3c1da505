#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// The text of a journal file as its readers show it (the web server's journal
// page, the desktop's journal viewer), produced a block at a time so that a
// page of a large journal is never held whole: each line
// ended by CR LF, as UTF-8, optionally HTML-escaped. Of a file over the bound,
// the last bytes up to the bound from the first whole line on, after a line
// saying that earlier lines are not shown.
class JournalText {
public:
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

    // The part of the file shown; fixed when first opened, so a journal that
    // grows meanwhile gives the same text again.
    struct Extent {
        qint64 from = 0;
        qint64 to = 0;
        bool leftOut = false;
    };

    explicit JournalText(bool escaped, qint64 maxBytes = kMaxBytes);

    // Opens path and fixes the part shown; false when it cannot be read.
    bool open(const QString& path);
    // Opens path for the part fixed by an earlier open.
    bool open(const QString& path, const Extent& extent);
    Extent extent() const { return m_extent; }

    // The text of the next block of lines (a line longer than a block comes
    // whole); empty once all was given; nothing when the file cannot give
    // the bytes it had.
    std::optional<QByteArray> next();
    // All the rest, as one text; nothing when the file cannot give its bytes.
    std::optional<QByteArray> readAll();

private:
    QByteArray textOf(QByteArrayView lines) const;

    bool m_escaped;
    qint64 m_maxBytes;
    QFile m_file;
    Extent m_extent;
    qint64 m_position = 0;
    bool m_noteGiven = false;
    QByteArray m_carry; // the start of a line read but not ended yet
};
