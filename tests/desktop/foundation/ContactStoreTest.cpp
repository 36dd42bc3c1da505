#include "desktop/foundation/ContactStore.h"
#include "common/ContactFile.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

ContactRecord contact(
    const QString& name, const QString& number, const QString& sound = QString(64, QChar(0)))
{
    ContactRecord record;
    record.ContactName = name;
    record.PictureFile = QString();
    record.CallerName = QStringLiteral("CALLER");
    record.CallerNumber = number;
    record.CallHandling = QStringLiteral("1");
    record.EmergencyMark = QStringLiteral("0");
    record.EventsMode = sound.contains(QChar(0)) ? QStringLiteral("1") : QStringLiteral("3");
    record.SoundFile = sound;
    record.ActionsMode = QStringLiteral("1");
    record.Notes = QString();
    return record;
}

class ContactStoreTest : public ::testing::Test {
protected:
    QByteArray contents() const
    {
        QFile file(ContactFile::path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList names() const
    {
        QStringList result;
        const QByteArray data = contents();
        for (qsizetype at = 0; at + ContactRecord::Size <= data.size(); at += ContactRecord::Size)
            result << FixedRecord::trimBlanks(
                ContactRecord::fromBytes(QByteArrayView(data).sliced(at, ContactRecord::Size)).ContactName);
        return result;
    }

    TestEnvironment env;
};

TEST_F(ContactStoreTest, LookupsOnAMissingFileFindNothingAndCreateNothing)
{
    ContactRecord record;
    EXPECT_FALSE(ContactExists(QStringLiteral("x")));
    EXPECT_EQ(GetContactNameByNumber(QString()), QString());
    EXPECT_EQ(GetContactRecordByName(QStringLiteral("x"), record), -1);
    EXPECT_EQ(FindContactRecordByNumber(QString(), QString(), record), -1);
    EXPECT_EQ(FindContactNameBySound(QStringLiteral("a.wav")), QString());
    EXPECT_EQ(record.toBytes(), ContactRecord().toBytes()) << "no record was read";
    EXPECT_FALSE(QFile::exists(ContactFile::path()));
}

TEST_F(ContactStoreTest, NameMatchesTheTrimmedFieldExactly)
{
    writeContactFile({contact(QStringLiteral("Anna   "), QStringLiteral("1")),
        contact(QStringLiteral("Bob"), QStringLiteral("2"))});
    EXPECT_TRUE(ContactExists(QStringLiteral("Anna")));
    EXPECT_FALSE(ContactExists(QStringLiteral("Anna ")));
    EXPECT_FALSE(ContactExists(QStringLiteral(" Anna")));
    EXPECT_FALSE(ContactExists(QStringLiteral("anna")));
    EXPECT_FALSE(ContactExists(QString(33, u'A'))); // longer than the field

    ContactRecord record;
    EXPECT_EQ(GetContactRecordByName(QStringLiteral("Bob"), record), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(record.CallerNumber), u"2");
    // No match leaves the last record read, the file's last record.
    EXPECT_EQ(GetContactRecordByName(QStringLiteral("Nobody"), record), -1);
    EXPECT_EQ(FixedRecord::trimBlanks(record.ContactName), u"Bob");
}

TEST_F(ContactStoreTest, NumberLookupsTakeTheFirstInFileOrder)
{
    writeContactFile({contact(QStringLiteral("NoNumber"), QString()),
        contact(QStringLiteral("First"), QStringLiteral("42")),
        contact(QStringLiteral("Second"), QStringLiteral("42"))});
    ContactRecord record;
    EXPECT_EQ(FindContactRecordByNumber(QStringLiteral("any name"), QStringLiteral("42"), record), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(record.ContactName), u"First");
    EXPECT_EQ(GetContactNameByNumber(QStringLiteral("42")), u"First");
    EXPECT_EQ(GetContactNameByNumber(QString()), u"NoNumber");
    EXPECT_EQ(GetContactNameByNumber(QStringLiteral("42 ")), QString());
}

TEST_F(ContactStoreTest, SoundLookupFindsOnlyContactsWithTheirOwnSound)
{
    writeContactFile({contact(QStringLiteral("Default"), QStringLiteral("1")),
        contact(QStringLiteral("Own"), QStringLiteral("2"), QStringLiteral("bell.wav"))});
    EXPECT_EQ(FindContactNameBySound(QStringLiteral("bell.wav")), u"Own");
    EXPECT_EQ(FindContactNameBySound(QStringLiteral("Bell.wav")), QString());
    EXPECT_EQ(FindContactNameBySound(QString()), QString()) << "an unset sound is not empty";
}

TEST_F(ContactStoreTest, NewContactGoesAfterTheLastWholeRecord)
{
    EXPECT_EQ(AddContactRecord(contact(QStringLiteral("A"), QStringLiteral("1"))), 1);
    EXPECT_EQ(AddContactRecord(contact(QStringLiteral("B"), QStringLiteral("2"))), 2);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    // A torn tail is cut, not counted as a record.
    writeContactFile({contact(QStringLiteral("A"), QStringLiteral("1"))}, QByteArray(900, 'x'));
    EXPECT_EQ(AddContactRecord(contact(QStringLiteral("C"), QStringLiteral("3"))), 2);
    EXPECT_EQ(contents().size(), 2 * ContactRecord::Size);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
}

TEST_F(ContactStoreTest, EditedContactReplacesOnlyItsRecord)
{
    writeContactFile({contact(QStringLiteral("A"), QStringLiteral("1")),
        contact(QStringLiteral("B"), QStringLiteral("2"))});
    EXPECT_TRUE(WriteContactRecord(contact(QStringLiteral("B2"), QStringLiteral("22")), 2));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("A"), QStringLiteral("B2")}));
    for (qint32 n : {0, -1, 3})
        EXPECT_FALSE(WriteContactRecord(contact(QStringLiteral("X"), QStringLiteral("9")), n)) << n;
    EXPECT_EQ(names(), (QStringList{QStringLiteral("A"), QStringLiteral("B2")}));
}

TEST_F(ContactStoreTest, DeleteMovesLaterContactsDownAndRefusesNumbersOutsideTheFile)
{
    QList<ContactRecord> five;
    for (const char* name : {"1", "2", "3", "4", "5"})
        five << contact(QString::fromLatin1(name), QString::fromLatin1(name));
    writeContactFile(five);
    for (qint32 k : {0, -3, 6}) {
        EXPECT_FALSE(DeleteContactRecord(k)) << k;
        EXPECT_EQ(contents().size(), 5 * ContactRecord::Size) << "a refused delete cut a record";
    }
    EXPECT_TRUE(DeleteContactRecord(2));
    EXPECT_EQ(names(),
        (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}));
    EXPECT_TRUE(DeleteContactRecord(4));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4")}));
}

TEST_F(ContactStoreTest, DeletingTheOnlyContactLeavesAnEmptyFile)
{
    writeContactFile({contact(QStringLiteral("Only"), QStringLiteral("1"))});
    EXPECT_TRUE(DeleteContactRecord(1));
    EXPECT_TRUE(QFile::exists(ContactFile::path()));
    EXPECT_EQ(contents().size(), 0);
}

TEST_F(ContactStoreTest, DeleteCutsExactlyOneRecordFromALargeFile)
{
    QList<ContactRecord> many;
    for (int i = 1; i <= 400; ++i)
        many << contact(QString::number(i), QString::number(i));
    writeContactFile(many);
    EXPECT_TRUE(DeleteContactRecord(1));
    EXPECT_EQ(contents().size(), 399 * ContactRecord::Size);
    ContactRecord record;
    EXPECT_EQ(GetContactRecordByName(QStringLiteral("400"), record), 399);
}

} // namespace
