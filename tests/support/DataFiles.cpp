#include "tests/support/DataFiles.h"

#include "common/ContactFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <gtest/gtest.h>

ContactRecord contactAsEditorWrites(const QString& name, const QString& number)
{
    ContactRecord record;
    record.ContactName = name;
    record.PictureFile = QString();
    record.CallerName = QStringLiteral("CALLER ") + name;
    record.CallerNumber = number;
    record.CallHandling = QStringLiteral("1");
    record.EmergencyMark = QStringLiteral("0");
    record.EventsMode = QStringLiteral("1");
    record.ShowCallDetails = QStringLiteral("1");
    record.DisplayStyle = QStringLiteral("0");
    record.PlayCallSound = QStringLiteral("1");
    record.SayText = QStringLiteral("0");
    record.SpeechText = QString();
    record.ActionsMode = QStringLiteral("1");
    record.ForwardToMail = QStringLiteral("0");
    record.MailAction = QStringLiteral("0");
    record.MailTo = QString();
    record.ForwardToApp = QStringLiteral("0");
    record.AppAction = QStringLiteral("0");
    record.AppCommand = QString();
    record.Notes = QString();
    return record;
}

void writeContactFile(const QList<ContactRecord>& contacts, const QByteArray& tail)
{
    const QString path = ContactFile::path();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    // A new file put in place, as the contact editor saves: readers that
    // keep an index see another file.
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const ContactRecord& c : contacts)
        ASSERT_EQ(file.write(c.toBytes()), ContactRecord::Size);
    ASSERT_EQ(file.write(tail), tail.size());
    ASSERT_TRUE(file.commit());
}
