#include "desktop/foundation/ContactStore.h"

#include "common/ContactFile.h"
#include "common/FixedRecord.h"
#include "common/RecordFile.h"

namespace {

QString field(const QString& text)
{
    return FixedRecord::trimBlanks(text);
}

// The trimmed ContactName of the first record whose chosen field equals value.
QString contactNameWhere(QString ContactRecord::*member, const QString& value)
{
    ContactRecord record;
    const qint32 n = ContactFile::find(
        [&](const ContactRecord& contact) { return field(contact.*member) == value; }, record);
    return n < 1 ? QString() : field(record.ContactName);
}

RecordFile contactFile()
{
    return RecordFile(ContactFile::path(), ContactRecord::Size);
}

} // namespace

bool ContactExists(const QString& name)
{
    ContactRecord record;
    return GetContactRecordByName(name, record) > 0;
}

QString GetContactNameByNumber(const QString& number)
{
    return contactNameWhere(&ContactRecord::CallerNumber, number);
}

qint32 GetContactRecordByName(const QString& name, ContactRecord& record)
{
    return ContactFile::find(
        [&](const ContactRecord& contact) { return field(contact.ContactName) == name; }, record);
}

qint32 FindContactRecordByNumber(
    const QString& /*callerName*/, const QString& callerNumber, ContactRecord& record)
{
    return ContactFile::find(
        [&](const ContactRecord& contact) { return field(contact.CallerNumber) == callerNumber; }, record);
}

QString FindContactNameBySound(const QString& soundFile)
{
    return contactNameWhere(&ContactRecord::SoundFile, soundFile);
}

qint32 AddContactRecord(const ContactRecord& record)
{
    return contactFile().append(record.toBytes());
}

bool WriteContactRecord(const ContactRecord& record, qint32 n)
{
    return contactFile().replace(n, record.toBytes());
}

bool DeleteContactRecord(qint32 k)
{
    return contactFile().remove(k);
}

GuardedWrite WriteContactRecordIfNamed(const ContactRecord& record, qint32 n, const QString& expectedName)
{
    const std::optional<bool> written
        = contactFile().replaceIf(n, record.toBytes(), [&](const QByteArray& bytes) {
              return field(ContactRecord::fromBytes(bytes).ContactName) == expectedName;
          });
    if (!written)
        return GuardedWrite::Failed;
    return *written ? GuardedWrite::Written : GuardedWrite::OtherContact;
}

QSet<QString> PictureFilesInUse()
{
    QSet<QString> names;
    ContactRecord record;
    ContactFile::find(
        [&](const ContactRecord& contact) {
            const QString name = field(contact.PictureFile);
            if (!name.isEmpty())
                names.insert(name);
            return false;
        },
        record);
    return names;
}
