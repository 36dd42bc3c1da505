#include "service/core/ContactIndex.h"

#include "common/ContactFile.h"
#include "common/FixedRecord.h"
#include "common/RecordFile.h"

#include <QFile>
#include <QMutexLocker>

#include <sys/stat.h>

namespace {

const RecordField<ContactRecord>& fieldOf(QString ContactRecord::*member)
{
    for (const RecordField<ContactRecord>& field : ContactRecord::layout()) {
        if (field.member == member)
            return field;
    }
    Q_UNREACHABLE();
}

QString trimmedField(const QByteArray& record, const RecordField<ContactRecord>& field)
{
    return FixedRecord::trimBlanks(
        FixedRecord::readField(QByteArrayView(record).sliced(field.offset, field.width)));
}

} // namespace

ContactIndex& ContactIndex::shared()
{
    static ContactIndex index;
    return index;
}

ContactIndex::Identity ContactIndex::identityOf(const QString& path)
{
    Identity identity;
    identity.path = path;
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return identity;
    identity.exists = true;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
    identity.size = qint64(info.st_size);
    identity.seconds = qint64(info.st_mtim.tv_sec);
    identity.nanoseconds = qint64(info.st_mtim.tv_nsec);
    return identity;
}

void ContactIndex::refresh()
{
    const Identity now = identityOf(ContactFile::path());
    if (m_built && now == m_identity)
        return;
    m_identity = now;
    rebuild(now.path);
    m_built = true;
}

void ContactIndex::rebuild(const QString& path)
{
    static const RecordField<ContactRecord>& number = fieldOf(&ContactRecord::CallerNumber);
    static const RecordField<ContactRecord>& name = fieldOf(&ContactRecord::CallerName);
    static const RecordField<ContactRecord>& contact = fieldOf(&ContactRecord::ContactName);
    m_byNumber.clear();
    m_names.clear();
    qint32 n = 0;
    RecordFile(path, ContactRecord::Size).scan([&](const QByteArray& bytes) {
        ++n;
        // The first record of a number, and of a name with a number, wins.
        const QString callerNumber = trimmedField(bytes, number);
        m_byNumber.insert(callerNumber, m_byNumber.value(callerNumber, n));
        const auto key = qMakePair(trimmedField(bytes, name), callerNumber);
        if (!m_names.contains(key))
            m_names.insert(key, trimmedField(bytes, contact));
        return false;
    });
}

qint32 ContactIndex::findByCallerNumber(const QString& number, ContactRecord& found)
{
    QMutexLocker lock(&m_mutex);
    refresh();
    const qint32 n = m_byNumber.value(number, -1);
    if (n < 1)
        return -1;
    const std::optional<QByteArray> bytes = RecordFile(m_identity.path, ContactRecord::Size).read(n);
    if (bytes) {
        ContactRecord record = ContactRecord::fromBytes(*bytes);
        if (FixedRecord::trimBlanks(record.CallerNumber) == number) {
            found = std::move(record);
            return n;
        }
    }
    // The file changed since the check: read it through, as without an index.
    m_built = false;
    return ContactFile::findByCallerNumber(number, found);
}

QString ContactIndex::contactName(const QString& callerName, const QString& callerNumber)
{
    QMutexLocker lock(&m_mutex);
    refresh();
    return m_names.value(qMakePair(callerName, callerNumber));
}
