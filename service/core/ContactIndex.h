#pragma once

#include "common/ContactRecord.h"

#include <QHash>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The service's index of the contact file, shared by every lookup (the
// caller-ID match, GetContactName, the calls page; the line's thread and the
// web pages' worker alike). Answers are those of reading the file through:
// the first match in file order.
//
// The index is built on a thread of its own from Data/Contactes and swapped
// in whole; it is rebuilt when the file is no longer the one it was built
// from (inode, size or modification time to the nanosecond). A lookup never
// waits for a build: until the new index is in, a file of up to
// ReadThroughBytes is read through (as fast as a lookup), and a larger one is
// answered from the index there is, each hit checked against the file.
class ContactIndex {
public:
    static constexpr qint64 ReadThroughBytes = 2 * 1024 * 1024;

    // The process's index.
    static ContactIndex& shared();

    ContactIndex() = default;
    ~ContactIndex();
    ContactIndex(const ContactIndex&) = delete;
    ContactIndex& operator=(const ContactIndex&) = delete;

    // The first record whose trimmed CallerNumber equals number exactly, or
    // -1; found then holds it (left alone with -1).
    qint32 findByCallerNumber(const QString& number, ContactRecord& found);
    // The trimmed ContactName of the first record whose trimmed CallerName
    // and CallerNumber equal the arguments; empty when none does.
    QString contactName(const QString& callerName, const QString& callerNumber);

    // Whether the index in use was built from the file as it is now.
    bool isCurrent();

private:
    struct Identity {
        QString path;
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 seconds = 0;
        qint64 nanoseconds = 0;
        bool operator==(const Identity&) const = default;
    };
    // Record numbers by trimmed CallerNumber: the first, and any later ones
    // (few: a number is seldom in two contacts). A hit is read from the file
    // and checked.
    struct Snapshot {
        Identity identity;
        QHash<QString, qint32> byNumber;
        QMultiHash<QString, qint32> laterByNumber;
    };
    using SnapshotPtr = std::shared_ptr<const Snapshot>;

    static Identity identityOf(const QString& path);
    static SnapshotPtr build(const QString& path);
    // Record n of the file when it still passes the check.
    static std::optional<ContactRecord> recordIf(
        const QString& path, qint32 n, const std::function<bool(const ContactRecord&)>& check);
    // The index to answer from for the file as it is now, null when the file
    // is to be read through; asks for a build when the index is not current.
    SnapshotPtr usable(const Identity& now);
    // The builder's thread: builds what is asked for, one index at a time.
    void buildWhenAsked();

    std::mutex m_mutex;
    std::condition_variable m_asked;
    SnapshotPtr m_current;
    std::optional<QString> m_wanted; // the path to build an index of
    bool m_stopping = false;
    std::thread m_builder;
};
