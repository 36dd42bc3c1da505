#include "common/ContactFile.h"

#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "common/RecordFile.h"

namespace ContactFile {

QString path()
{
    return DataPaths::native(DataPaths::contactFile());
}

qint32 find(const std::function<bool(const ContactRecord&)>& match, ContactRecord& lastRead)
{
    return RecordFile(path(), ContactRecord::Size).scan([&](const QByteArray& bytes) {
        lastRead = ContactRecord::fromBytes(bytes);
        return match(lastRead);
    });
}

qint32 findByCallerNumber(const QString& number, ContactRecord& found)
{
    const RecordField<ContactRecord>& field = ContactRecord::layout()[3];
    Q_ASSERT(field.member == &ContactRecord::CallerNumber);
    return RecordFile(path(), ContactRecord::Size).scan([&](const QByteArray& bytes) {
        const QByteArrayView raw = QByteArrayView(bytes).sliced(field.offset, field.width);
        if (FixedRecord::trimBlanks(FixedRecord::readField(raw)) != number)
            return false;
        found = ContactRecord::fromBytes(bytes);
        return true;
    });
}

} // namespace ContactFile
