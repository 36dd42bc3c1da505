#include "service/core/ContactIndex.h"
#include "common/ContactFile.h"
#include "common/RecordFile.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

ContactRecord contact(const QString& contactName, const QString& callerName, const QString& number)
{
    ContactRecord record;
    record.ContactName = contactName;
    record.CallerName = callerName;
    record.CallerNumber = number;
    return record;
}

class ContactIndexTest : public ::testing::Test {
protected:
    // Both lookups of the index beside a read of the file through.
    void expectSameAsReadingThrough(const QString& name, const QString& number, const char* why)
    {
        ContactRecord fromIndex;
        ContactRecord fromFile;
        const qint32 n = ContactIndex::shared().findByCallerNumber(number, fromIndex);
        EXPECT_EQ(n, ContactFile::findByCallerNumber(number, fromFile)) << why;
        if (n > 0) {
            EXPECT_EQ(fromIndex.ContactName, fromFile.ContactName) << why;
        }
        ContactRecord match;
        const qint32 m = ContactFile::find(
            [&](const ContactRecord& c) {
                return c.CallerName.trimmed() == name && c.CallerNumber.trimmed() == number;
            },
            match);
        EXPECT_EQ(
            ContactIndex::shared().contactName(name, number), m > 0 ? match.ContactName.trimmed() : QString())
            << why;
    }

    TestEnvironment env;
};

TEST_F(ContactIndexTest, AnswersAsReadingTheFileThrough)
{
    writeContactFile(
        {contact(QStringLiteral("Ann"), QStringLiteral("ANN LEE"), QStringLiteral("5551234")),
            contact(QStringLiteral("Ann again"), QStringLiteral("ANN LEE"), QStringLiteral("5551234")),
            contact(QStringLiteral("Bob"), QStringLiteral("BOB"), QStringLiteral(" 5550000 ")),
            contact(QStringLiteral("Other Ann"), QStringLiteral("A. LEE"), QStringLiteral("5551234"))},
        "torn record");
    struct Case {
        QString name;
        QString number;
        const char* why;
    };
    const Case cases[] = {
        {QStringLiteral("ANN LEE"), QStringLiteral("5551234"), "the first of two equal contacts"},
        {QStringLiteral("A. LEE"), QStringLiteral("5551234"),
            "a later contact of the same number, by its name"},
        {QStringLiteral("BOB"), QStringLiteral("5550000"), "fields are trimmed"},
        {QStringLiteral("BOB"), QStringLiteral(" 5550000 "), "the asked number is not"},
        {QStringLiteral("ann lee"), QStringLiteral("5551234"), "names are compared exactly"},
        {QString(), QString(), "nothing asked"},
        {QStringLiteral("NOBODY"), QStringLiteral("5559999"), "no contact"},
    };
    // The same answers whether the file is read through or the index used.
    for (const Case& c : cases)
        expectSameAsReadingThrough(c.name, c.number, c.why);
    ASSERT_TRUE(waitUntil([] { return ContactIndex::shared().isCurrent(); }));
    for (const Case& c : cases)
        expectSameAsReadingThrough(c.name, c.number, c.why);
    ContactRecord found;
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5551234"), found), 1);
    EXPECT_EQ(found.ContactName.trimmed(), u"Ann");
}

TEST_F(ContactIndexTest, FollowsTheFileAsTheDesktopChangesIt)
{
    ContactRecord found;
    // No file yet: nothing, and the file stays missing.
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5551234"), found), -1);
    EXPECT_FALSE(QFile::exists(ContactFile::path()));

    writeContactFile({contact(QStringLiteral("Ann"), QStringLiteral("ANN"), QStringLiteral("5551234"))});
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5551234"), found), 1);
    EXPECT_EQ(ContactIndex::shared().contactName(QStringLiteral("ANN"), QStringLiteral("5551234")), u"Ann");

    // A contact added at the end: the file grows.
    const RecordFile file(ContactFile::path(), ContactRecord::Size);
    ASSERT_EQ(file.append(
                  contact(QStringLiteral("Bob"), QStringLiteral("BOB"), QStringLiteral("5550000")).toBytes()),
        2);
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5550000"), found), 2);

    // A contact edited in place: same size, a new file put in its place.
    ASSERT_TRUE(file.replace(
        1, contact(QStringLiteral("Ann Lee"), QStringLiteral("ANN"), QStringLiteral("5551111")).toBytes()));
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5551234"), found), -1);
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5551111"), found), 1);
    EXPECT_EQ(found.ContactName.trimmed(), u"Ann Lee");
    EXPECT_EQ(
        ContactIndex::shared().contactName(QStringLiteral("ANN"), QStringLiteral("5551111")), u"Ann Lee");

    // Deleted: no contacts.
    ASSERT_TRUE(QFile::remove(ContactFile::path()));
    EXPECT_EQ(ContactIndex::shared().findByCallerNumber(QStringLiteral("5550000"), found), -1);
    EXPECT_EQ(
        ContactIndex::shared().contactName(QStringLiteral("BOB"), QStringLiteral("5550000")), QString());
}

// A file too large to read through at every lookup: while its new index is
// built aside, lookups answer from the one there is, each hit checked against
// the file, and the new index comes in without anyone asking again.
TEST_F(ContactIndexTest, LargeFileIsAnsweredFromTheIndexThereIsUntilTheNewOneIsIn)
{
    const int count = int(ContactIndex::ReadThroughBytes / ContactRecord::Size) + 100;
    QList<ContactRecord> contacts;
    for (int i = 1; i <= count; ++i)
        contacts.append(contact(QStringLiteral("Contact %1").arg(i), QStringLiteral("CALLER %1").arg(i),
            QStringLiteral("555%1").arg(i, 7, 10, QLatin1Char('0'))));
    writeContactFile(contacts);
    const QString last = QStringLiteral("555%1").arg(count, 7, 10, QLatin1Char('0'));
    ContactRecord found;
    ContactIndex& index = ContactIndex::shared();
    EXPECT_EQ(index.findByCallerNumber(last, found), count) << "read through while there is no index";
    ASSERT_TRUE(waitUntil([&] { return index.isCurrent(); }));
    EXPECT_EQ(index.findByCallerNumber(last, found), count);
    EXPECT_EQ(found.ContactName.trimmed(), QStringLiteral("Contact %1").arg(count));

    // The last contact takes a new number and a new one comes at the end.
    contacts.last().CallerNumber = QStringLiteral("5551111");
    contacts.append(contact(QStringLiteral("New"), QStringLiteral("NEW"), QStringLiteral("5552222")));
    writeContactFile(contacts);
    // The old number is checked against the file: never the wrong contact.
    EXPECT_EQ(index.findByCallerNumber(last, found), -1);
    ASSERT_TRUE(waitUntil([&] { return index.isCurrent(); }));
    EXPECT_EQ(index.findByCallerNumber(QStringLiteral("5551111"), found), count);
    EXPECT_EQ(index.findByCallerNumber(QStringLiteral("5552222"), found), count + 1);
    EXPECT_EQ(index.contactName(QStringLiteral("NEW"), QStringLiteral("5552222")), u"New");
}

} // namespace
