#include "common/ContactFile.h"

#include "common/DataPaths.h"
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

} // namespace ContactFile
