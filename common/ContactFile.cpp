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

void readFields(
    const QList<QString ContactRecord::*>& fields, const std::function<void(const QStringList&)>& visit)
{
    QList<const RecordField<ContactRecord>*> chosen;
    for (QString ContactRecord::*member : fields) {
        for (const RecordField<ContactRecord>& field : ContactRecord::layout()) {
            if (field.member == member)
                chosen << &field;
        }
    }
    Q_ASSERT(chosen.size() == fields.size());
    QStringList values(chosen.size());
    RecordFile(path(), ContactRecord::Size).scan([&](const QByteArray& bytes) {
        for (qsizetype i = 0; i < chosen.size(); ++i)
            values[i]
                = FixedRecord::readField(QByteArrayView(bytes).sliced(chosen[i]->offset, chosen[i]->width));
        visit(values);
        return false;
    });
}

} // namespace ContactFile
