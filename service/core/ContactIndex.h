#pragma once

#include "common/ContactRecord.h"

#include <QHash>
#include <QMutex>
#include <QPair>
#include <QString>

// The service's index of the contact file, shared by every lookup (the
// caller-ID match, GetContactName, the calls page; the line's thread and the
// web pages' worker alike). Built from Data/Contactes on first use and
// rebuilt when the file is no longer the one it was built from (inode, size
// or modification time to the nanosecond), so a contact the desktop saves
// counts at the next call. Answers are those of reading the file through:
// the first match in file order.
class ContactIndex {
public:
    // The process's index.
    static ContactIndex& shared();

    // The first record whose trimmed CallerNumber equals number exactly, or
    // -1; found then holds it (left alone with -1).
    qint32 findByCallerNumber(const QString& number, ContactRecord& found);
    // The trimmed ContactName of the first record whose trimmed CallerName
    // and CallerNumber equal the arguments; empty when none does.
    QString contactName(const QString& callerName, const QString& callerNumber);

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
    static Identity identityOf(const QString& path);
    // Brings the index up to the file; the caller holds m_mutex.
    void refresh();
    void rebuild(const QString& path);

    QMutex m_mutex;
    bool m_built = false;
    Identity m_identity;
    QHash<QString, qint32> m_byNumber;
    QHash<QPair<QString, QString>, QString> m_names;
};
