#include "service/core/ContactIndex.h"
#include "common/ContactFile.h"
#include "common/RecordFile.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"

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

} // namespace
