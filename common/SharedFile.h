#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QList>
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

// A piece of a file's new content: bytes of its own, or a range of the file
// being replaced (a rewrite that keeps most of it copies that in the kernel).
struct Piece {
    QByteArray bytes;
    qint64 oldOffset = -1; // a range of the old file when 0 or more
    qint64 length = 0;

    static Piece kept(qint64 offset, qint64 length) { return Piece{{}, offset, length}; }
};

// Replaces the whole file with data through a temporary file in its folder:
// every write checked, the data synced, then the rename, then the folder
// synced, so a reader sees either the old or the new content and a crash
// keeps one of them. On any failure the old file stays byte for byte, the
// temporary is removed and lastWriteFailure() says why. A new file gets
// permissions (0600 when none are given), an existing one keeps its own.
// The caller holds the lock.
[[nodiscard]] bool writeAtomically(
    const QString& path, const QByteArray& data, QFileDevice::Permissions permissions = {});

// writeAtomically from pieces; the ranges of the old file must lie within it.
[[nodiscard]] bool replaceFromPieces(
    const QString& path, const QList<Piece>& pieces, QFileDevice::Permissions permissions = {});

// Why this thread's last failed write, append or folder creation failed, e.g.
// "cannot write /x/Data: No space left on device".
QString lastWriteFailure();

// Records why a write failed, for a caller that learns it by lastWriteFailure().
void setWriteFailure(const QString& reason);

// Reads a whole file of at most maxBytes; nullopt when it is missing, cannot be
// read or is larger.
std::optional<QByteArray> readBounded(const QString& path, qint64 maxBytes);

// Appends data, creating a missing file 0600; the caller holds the lock. False
// on any failure, and then the file is cut back to its old length.
[[nodiscard]] bool append(const QString& path, const QByteArray& data);

// Creates a folder and its missing parents, each new one 0700 (private to the
// user, as every file the programs create); existing folders stay as they are.
[[nodiscard]] bool makeFolder(const QString& path);

} // namespace SharedFile
