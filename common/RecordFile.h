#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// A file of fixed-size records numbered from 1, as the day files and the
// contact file are. Readers take no lock: writers only append whole records or
// replace the whole file by rename, so a reader sees whole records. Writers take
// the file's SharedFileLock, so the two programs never undo each other's work.
// A torn tail (a length that is not a whole number of records) is not counted;
// the next writer cuts it before it writes.
class RecordFile {
public:
    RecordFile(const QString& path, int recordSize);

    // Whole records now in the file; 0 when it is missing.
    qint32 count() const;

    // Record n, 1 to count(); nullopt for any other number or a missing file.
    std::optional<QByteArray> read(qint32 n) const;

    // Reads the records in file order until visit answers true. The number of
    // that record, or -1 (also for a missing file, which stays missing).
    qint32 scan(const std::function<bool(const QByteArray&)>& visit) const;

    // Appends a record after the last whole one and syncs it, creating the
    // file (0600) and its folders (0700) when missing. The new record's
    // number, or -1 when nothing could be written (SharedFile::lastWriteFailure
    // says why; the file is then as it was).
    [[nodiscard]] qint32 append(const QByteArray& record) const;

    // Replaces record n, 1 to count(), through a whole rewrite; false and
    // nothing changed for any other number or a failed write
    // (SharedFile::lastWriteFailure says why).
    [[nodiscard]] bool replace(qint32 n, const QByteArray& record) const;

    // As replace, only while expected answers true for record n as it is
    // now; the test and the write happen under the one lock, so no other
    // writer comes between. nullopt when the file or record n could not be
    // read or written, false when expected refused the record.
    [[nodiscard]] std::optional<bool> replaceIf(
        qint32 n, const QByteArray& record, const std::function<bool(const QByteArray&)>& expected) const;

    // Removes record n, 1 to count(): later records move down by one and the
    // file is a record shorter. False and nothing changed for any other number.
    [[nodiscard]] bool remove(qint32 n) const;

private:
    // Says why through SharedFile::lastWriteFailure, from errno; always -1.
    qint32 failed(const QString& what) const;
    [[nodiscard]] std::optional<bool> rewrite(qint32 n, const std::optional<QByteArray>& record,
        const std::function<bool(const QByteArray&)>& expected = {}) const;

    QString m_path;
    int m_size;
};
