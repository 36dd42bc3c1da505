#include "tests/support/DataFiles.h"

#include "common/ContactFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

void writeContactFile(const QList<ContactRecord>& contacts, const QByteArray& tail)
{
    const QString path = ContactFile::path();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const ContactRecord& c : contacts)
        ASSERT_EQ(file.write(c.toBytes()), ContactRecord::Size);
    ASSERT_EQ(file.write(tail), tail.size());
}
