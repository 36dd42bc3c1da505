#pragma once

#include <QString>
#include <QtGlobal>

// Which file a path names and how it was last changed, for readers that keep
// what they parsed from a file until the file changes: a replace by rename
// changes the inode, a write the size or the modification time.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0; // status change (ctime), nanoseconds since the epoch

    static FileIdentity of(const QString& path);

    // Time stamps are coarse (a clock tick, a second on some file systems), so
    // two writes close together can leave a file with the same identity and
    // other contents. What was read from a file written within the last
    // SettleNs may therefore be out of date without the identity showing it;
    // only a settled file's contents may be kept. A missing file is settled.
    static constexpr qint64 SettleNs = 2'000'000'000;
    bool isSettled() const;

    bool operator==(const FileIdentity&) const = default;
};
