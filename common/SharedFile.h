#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

// Files that both programs change (settings, Data, Data/Last, Contactes,
// journals) are changed under one advisory lock per file. The lock lives on a
// hidden sibling ".<name>.lock", because a whole rewrite replaces the file
// itself by rename and a lock on the old inode would guard nothing.
// A thread that already holds a file's lock takes it again at once, so a step
// that changes two files (a day file, then Data/Last) can hold the first
// across both while each change still locks what it writes.
class SharedFileLock {
public:
    explicit SharedFileLock(const QString& path);
    ~SharedFileLock();
    SharedFileLock(const SharedFileLock&) = delete;
    SharedFileLock& operator=(const SharedFileLock&) = delete;

    // False when the lock file could not be opened (missing folder, no rights).
    bool isLocked() const { return m_fd >= 0; }

    static QString lockPathFor(const QString& path);

private:
    QString m_lockPath;
    int m_fd = -1;
};

namespace SharedFile {

// Replaces the whole file with data through a temporary file and a rename, so a
// reader sees either the old or the new content. The caller holds the lock.
[[nodiscard]] bool writeAtomically(
    const QString& path, const QByteArray& data, QFileDevice::Permissions permissions = {});

// Reads a whole file of at most maxBytes; nullopt when it is missing, cannot be
// read or is larger.
std::optional<QByteArray> readBounded(const QString& path, qint64 maxBytes);

// Appends data in one write; the caller holds the lock. False on any failure.
[[nodiscard]] bool append(const QString& path, const QByteArray& data);

} // namespace SharedFile
