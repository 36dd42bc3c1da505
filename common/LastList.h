#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The recent-calls list Data/Last: one line per call, newest first, the record
// number in decimal, ":" and the call's day folder. Both programs rewrite it
// whole, under its lock and by rename, so neither undoes the other's change.
namespace LastList {

struct Entry {
    qint32 recordNumber = 0;
    QString dayFolder;
};

QString lineFor(qint32 recordNumber, const QString& dayFolder);

// Split at the first ":"; nullopt when the number is not a plain decimal
// record number (1 or more, no sign, blanks or leading zeros).
std::optional<Entry> parseLine(const QString& line);

// A list is read only up to this many bytes: anything larger is damage.
inline constexpr qint64 kMaxListBytes = 16 * 1024 * 1024;

// The first maxLines lines (all when negative), CR LF or LF ended. A missing
// file is an empty list; nullopt when the file is there but cannot be read.
// Of a file over kMaxListBytes, the whole lines within the bound, so a
// damaged list can still be read and written back.
std::optional<QStringList> readLines(const QString& path, qsizetype maxLines = -1);

// Under the list's lock: reads at most maxLines lines, lets edit change them
// and, when edit answers true, writes them back whole (each line ended by
// CR LF) by rename. False when nothing was written.
[[nodiscard]] bool change(
    const QString& path, qsizetype maxLines, const std::function<bool(QStringList&)>& edit);

} // namespace LastList
