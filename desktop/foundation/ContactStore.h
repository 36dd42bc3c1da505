#pragma once

#include "common/ContactRecord.h"

#include <QSet>
#include <QString>

// The desktop's contact store on Data/Contactes. Text arguments are compared
// unchanged with the trimmed field (callers trim first where they want to);
// every lookup takes the first matching record in file order. Lookups never
// create the file; writes take the file's lock.

// True when some record's trimmed ContactName equals name.
bool ContactExists(const QString& name);

// The trimmed ContactName of the first record whose trimmed CallerNumber equals
// number; empty when none does.
QString GetContactNameByNumber(const QString& number);

// The number of the first record whose trimmed ContactName equals name, with
// record filled; -1 when none does (record then holds the file's last record,
// or is left alone when the file has none).
qint32 GetContactRecordByName(const QString& name, ContactRecord& record);

// As GetContactRecordByName, matching the trimmed CallerNumber; the caller
// name takes no part.
qint32 FindContactRecordByNumber(
    const QString& callerName, const QString& callerNumber, ContactRecord& record);

// The trimmed ContactName of the first record whose trimmed SoundFile equals
// soundFile; empty when none does.
QString FindContactNameBySound(const QString& soundFile);

// A new contact after the last whole record, creating the file when missing.
// Its record number, or -1 when it could not be written.
qint32 AddContactRecord(const ContactRecord& record);

// An edited contact over record n, 1 to the record count; False and nothing
// written for any other number.
bool WriteContactRecord(const ContactRecord& record, qint32 n);

// Removes record k, 1 to the record count: later records move down by one.
// False and nothing changed for any other number.
bool DeleteContactRecord(qint32 k);

enum class GuardedWrite { Written, OtherContact, Failed };

// An edited contact over record n, only while that record's trimmed
// ContactName is still expectedName: the test and the write hold the file's
// lock together. OtherContact when the record now holds another contact or
// is gone (the file changed since the editor opened it), Failed when the file
// could not be read or written.
GuardedWrite WriteContactRecordIfNamed(const ContactRecord& record, qint32 n, const QString& expectedName);

// The trimmed PictureFile of every record that names one.
QSet<QString> PictureFilesInUse();
