#include "common/ContactFile.h"
#include "common/FixedRecord.h"
#include "common/RegistryRoutines.h"
#include "service/core/mdlContacts.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class ContactLookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const RegistryRoutines root(RegistryRoutines::HKEY_LOCAL_MACHINE, QString(), QString());
        root.CreateKey(RegistryRoutines::productKey() + QStringLiteral("\\Events\\TabInCommingCall"));
    }

    // What SetDefaultCallOption would leave with everything switched on.
    static CallOptions defaults()
    {
        CallOptions options;
        options.ShowCallDetails = true;
        options.DisplayStyle = 1;
        options.bPlaySound_IC = false;
        options.SoundFile = QStringLiteral("global.wav");
        options.SayText = true;
        options.SpeechText = QStringLiteral("global text");
        options.ShowLineControl = true;
        options.ForwardToMail = false;
        options.MailAction = 1;
        options.MailTo = QStringLiteral("global@example.org");
        options.ForwardToApp = true;
        options.AppAction = 2;
        options.AppCommand = QStringLiteral("global command");
        return options;
    }

    TestEnvironment env;
};

TEST_F(ContactLookupTest, NumberMatchesTheTrimmedFieldExactly)
{
    struct Case {
        const char* why;
        QString stored;
        QString delivered;
        bool matches;
    };
    const Case cases[] = {
        {"same digits", QStringLiteral("555 1234"), QStringLiteral("555 1234"), true},
        {"stored with blanks around", QStringLiteral(" 5551234 "), QStringLiteral("5551234"), true},
        {"delivered number is not trimmed", QStringLiteral("5551234"), QStringLiteral("5551234 "), false},
        {"case-sensitive", QStringLiteral("PRIVATE"), QStringLiteral("private"), false},
        {"empty number matches a blank field", QString(), QString(), true},
        {"unset field never matches", QString(40, QChar(0)), QString(), false},
        {"longer than the field never matches", QString(41, u'7'), QString(41, u'7'), false},
        {"UTF-8 text compares whole", QStringLiteral("Zoë"), QStringLiteral("Zoe"), false},
    };
    for (const Case& c : cases) {
        writeContactFile({contactAsEditorWrites(QStringLiteral("Other"), QStringLiteral("1")),
            contactAsEditorWrites(QStringLiteral("Wanted"), c.stored)});
        CallOptions options;
        ContactRecord found;
        const QString n = FindContactByNumber(QStringLiteral("ignored"), c.delivered, options, found);
        EXPECT_EQ(n, c.matches ? u"2" : u"-1") << c.why;
        if (c.matches) {
            EXPECT_EQ(FixedRecord::trimBlanks(found.ContactName), u"Wanted") << c.why;
        }
    }
}

TEST_F(ContactLookupTest, FirstContactInFileOrderDecides)
{
    ContactRecord blocked = contactAsEditorWrites(QStringLiteral("Second"), QStringLiteral("42"));
    blocked.CallHandling = QStringLiteral("2");
    writeContactFile({contactAsEditorWrites(QStringLiteral("Zero"), QStringLiteral("1")),
        contactAsEditorWrites(QStringLiteral("First"), QStringLiteral("42")), blocked});
    CallOptions options;
    ContactRecord found;
    EXPECT_EQ(FindContactByNumber(QString(), QStringLiteral("42"), options, found), u"2");
    EXPECT_EQ(FixedRecord::trimBlanks(found.ContactName), u"First");
    EXPECT_FALSE(options.BlockCall);
}

TEST_F(ContactLookupTest, MissingFileGivesNoMatchAndIsNotCreated)
{
    CallOptions options = defaults();
    ContactRecord found;
    EXPECT_EQ(FindContactByNumber(QString(), QString(), options, found), u"-1");
    EXPECT_EQ(GetContactName(QString(), QString()), QString());
    EXPECT_FALSE(QFile::exists(ContactFile::path()));
    EXPECT_TRUE(options.ShowCallDetails);
}

TEST_F(ContactLookupTest, TornTailIsNoContact)
{
    QByteArray tail
        = contactAsEditorWrites(QStringLiteral("Torn"), QStringLiteral("99")).toBytes().left(1000);
    writeContactFile({contactAsEditorWrites(QStringLiteral("Whole"), QStringLiteral("1"))}, tail);
    CallOptions options;
    ContactRecord found;
    EXPECT_EQ(FindContactByNumber(QString(), QStringLiteral("1"), options, found), u"1");
    EXPECT_EQ(FindContactByNumber(QString(), QStringLiteral("99"), options, found), u"-1");
}

TEST_F(ContactLookupTest, ContactOverridesTheSettings)
{
    struct Case {
        const char* why;
        std::function<void(ContactRecord&)> edit;
        std::function<void(CallOptions&)> expect; // changes to defaults()
    };
    const Case cases[] = {
        {"blocked caller", [](ContactRecord& c) { c.CallHandling = QStringLiteral("2"); },
            [](CallOptions& o) { o.BlockCall = true; }},
        {"handling 3 changes nothing", [](ContactRecord& c) { c.CallHandling = QStringLiteral("3"); },
            [](CallOptions&) {}},
        {"events mode 2: no display, line control, sound or speech; style, sound and text stay",
            [](ContactRecord& c) { c.EventsMode = QStringLiteral("2"); },
            [](CallOptions& o) {
                o.ShowCallDetails = o.ShowLineControl = o.bPlaySound_IC = o.SayText = false;
            }},
        {"events mode 3: the contact's own display, sound and speech",
            [](ContactRecord& c) {
                c.EventsMode = QStringLiteral("3");
                c.ShowCallDetails = QStringLiteral("0");
                c.DisplayStyle = QStringLiteral("0");
                c.PlayCallSound = QStringLiteral("1");
                c.SoundFile = QStringLiteral(" own.wav ");
                c.SayText = QStringLiteral("0");
                c.SpeechText = QStringLiteral("own text");
            },
            [](CallOptions& o) {
                // The settings' sound is off; the contact's own plays. ShowLineControl
                // is never written (NUL) and keeps the setting.
                o.ShowCallDetails = false;
                o.DisplayStyle = 0;
                o.bPlaySound_IC = true;
                o.SoundFile = QStringLiteral("own.wav");
                o.SayText = false;
                o.SpeechText = QStringLiteral("own text");
            }},
        {"events mode 3 with fields that are no numbers keeps those members",
            [](ContactRecord& c) {
                c.EventsMode = QStringLiteral("3");
                c.ShowCallDetails = QString(1, QChar(0));
                c.DisplayStyle = QStringLiteral("-");
                c.PlayCallSound = QStringLiteral(" ");
                c.SayText = QStringLiteral("x");
                c.SoundFile = QString(64, QChar(0));
                c.SpeechText = QStringLiteral("spoken");
            },
            [](CallOptions& o) {
                o.SoundFile = QString(); // an unset text is no file name
                o.SpeechText = QStringLiteral("spoken");
            }},
        {"actions mode 2: neither mail nor program",
            [](ContactRecord& c) { c.ActionsMode = QStringLiteral("2"); },
            [](CallOptions& o) { o.ForwardToMail = o.ForwardToApp = false; }},
        {"actions mode 3: the contact's own forwarding even with mail off in the settings",
            [](ContactRecord& c) {
                c.ActionsMode = QStringLiteral("3");
                c.ForwardToMail = QStringLiteral("1");
                c.MailAction = QStringLiteral("0");
                c.MailTo = QStringLiteral("own@example.org");
                c.ForwardToApp = QStringLiteral("0");
                c.AppAction = QStringLiteral("0");
                c.AppCommand = QStringLiteral("own command");
            },
            [](CallOptions& o) {
                o.ForwardToMail = true;
                o.MailAction = 0;
                o.MailTo = QStringLiteral("own@example.org");
                o.ForwardToApp = false;
                o.AppAction = 0;
                o.AppCommand = QStringLiteral("own command");
            }},
        {"unknown modes change nothing",
            [](ContactRecord& c) {
                c.EventsMode = QStringLiteral("4");
                c.ActionsMode = QString(1, QChar(0));
            },
            [](CallOptions&) {}},
        {"handling 4 fills the answering members",
            [](ContactRecord& c) {
                c.CallHandling = QStringLiteral("4");
                c.AnswerEnabled = QStringLiteral("1");
                c.GreetingFile = QStringLiteral("hello");
                c.AnswerRings = QStringLiteral("3");
                c.AnswerBeep = QStringLiteral("0");
            },
            [](CallOptions& o) {
                o.AnswerEnabled = true;
                o.GreetingFile = QStringLiteral("hello.wav");
                o.AnswerRings = 3;
            }},
    };
    for (const Case& c : cases) {
        ContactRecord record = contactAsEditorWrites(QStringLiteral("C"), QStringLiteral("1"));
        record.EventsMode = QString(1, QChar(0)); // only what the case sets
        record.ActionsMode = QString(1, QChar(0));
        c.edit(record);
        CallOptions options = defaults();
        ApplyContactCallSettings(options, ContactRecord::fromBytes(record.toBytes()));
        CallOptions expected = defaults();
        c.expect(expected);
        EXPECT_EQ(options.BlockCall, expected.BlockCall) << c.why;
        EXPECT_EQ(options.ShowCallDetails, expected.ShowCallDetails) << c.why;
        EXPECT_EQ(options.DisplayStyle, expected.DisplayStyle) << c.why;
        EXPECT_EQ(options.bPlaySound_IC, expected.bPlaySound_IC) << c.why;
        EXPECT_EQ(options.SoundFile, expected.SoundFile) << c.why;
        EXPECT_EQ(options.SayText, expected.SayText) << c.why;
        EXPECT_EQ(options.SpeechText, expected.SpeechText) << c.why;
        EXPECT_EQ(options.ShowLineControl, expected.ShowLineControl) << c.why;
        EXPECT_EQ(options.ForwardToMail, expected.ForwardToMail) << c.why;
        EXPECT_EQ(options.MailAction, expected.MailAction) << c.why;
        EXPECT_EQ(options.MailTo, expected.MailTo) << c.why;
        EXPECT_EQ(options.ForwardToApp, expected.ForwardToApp) << c.why;
        EXPECT_EQ(options.AppAction, expected.AppAction) << c.why;
        EXPECT_EQ(options.AppCommand, expected.AppCommand) << c.why;
        EXPECT_EQ(options.AnswerEnabled, expected.AnswerEnabled) << c.why;
        EXPECT_EQ(options.GreetingFile, expected.GreetingFile) << c.why;
        EXPECT_EQ(options.AnswerRings, expected.AnswerRings) << c.why;
        EXPECT_EQ(options.AnswerBeep, expected.AnswerBeep) << c.why;
    }
}

TEST_F(ContactLookupTest, EventsModeOneReadsTheIncomingCallSettingsAgain)
{
    const RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("Events\\TabInCommingCall"));
    ASSERT_TRUE(reg.setString(QStringLiteral("chkICViewCD"), QStringLiteral("1")));
    ASSERT_TRUE(reg.setString(QStringLiteral("cmbCallDisplayStyleIncomming"), QStringLiteral("1")));
    ASSERT_TRUE(reg.setString(QStringLiteral("chkPlayInCall"), QStringLiteral("1")));
    ASSERT_TRUE(reg.setString(QStringLiteral("CmbPlayWhenCall"), QStringLiteral("set.wav")));
    ASSERT_TRUE(reg.setString(QStringLiteral("chkSayInCommingCall"), QStringLiteral("oops")));

    CallOptions options; // as if the settings changed since the offer
    options.SayText = true;
    options.ShowLineControl = true;
    options.ForwardToMail = true;
    ApplyContactCallSettings(options, contactAsEditorWrites(QStringLiteral("C"), QStringLiteral("1")));

    EXPECT_TRUE(options.ShowCallDetails);
    EXPECT_EQ(options.DisplayStyle, 1);
    EXPECT_TRUE(options.bPlaySound_IC);
    EXPECT_EQ(options.SoundFile, u"set.wav");
    EXPECT_TRUE(options.SayText) << "a value that is no number keeps the member";
    EXPECT_FALSE(options.ShowLineControl) << "a missing value reads as False";
    EXPECT_TRUE(options.ForwardToMail) << "forwarding is not an incoming-call setting";
}

TEST_F(ContactLookupTest, FoundContactAppliesItsOverrides)
{
    ContactRecord blocked = contactAsEditorWrites(QStringLiteral("Blocked"), QStringLiteral("666"));
    blocked.CallHandling = QStringLiteral("2");
    blocked.ActionsMode = QStringLiteral("2");
    writeContactFile({blocked});
    CallOptions options = defaults();
    ContactRecord found;
    EXPECT_EQ(FindContactByNumber(QString(), QStringLiteral("666"), options, found), u"1");
    EXPECT_TRUE(options.BlockCall);
    EXPECT_FALSE(options.ForwardToApp);
}

TEST_F(ContactLookupTest, ContactNameNeedsBothCallerNameAndNumber)
{
    ContactRecord record = contactAsEditorWrites(QStringLiteral(" Anna "), QStringLiteral("123"));
    record.CallerName = QStringLiteral("ANNA B");
    writeContactFile({contactAsEditorWrites(QStringLiteral("Bob"), QStringLiteral("9")), record});
    EXPECT_EQ(GetContactName(QStringLiteral("ANNA B"), QStringLiteral("123")), u"Anna");
    EXPECT_EQ(GetContactName(QStringLiteral("ANNA B"), QStringLiteral("124")), QString());
    EXPECT_EQ(GetContactName(QStringLiteral("anna b"), QStringLiteral("123")), QString());
}

TEST_F(ContactLookupTest, GetContactNameAgreesWithReadingTheFileThrough)
{
    ContactRecord first = contactAsEditorWrites(QStringLiteral("First"), QStringLiteral("123"));
    first.CallerName = QStringLiteral("ANNA B");
    ContactRecord second = contactAsEditorWrites(QStringLiteral("Second"), QStringLiteral("123"));
    second.CallerName = QStringLiteral("ANNA B");
    writeContactFile({contactAsEditorWrites(QStringLiteral("Bob"), QStringLiteral("9")), first, second});
    for (const auto& [name, number] : {std::pair{"ANNA B", "123"}, std::pair{"ANNA B", "124"},
             std::pair{"anna b", "123"}, std::pair{"CALLER Bob", "9"}, std::pair{"", ""}}) {
        const QString n = QString::fromLatin1(name);
        const QString m = QString::fromLatin1(number);
        ContactRecord match;
        const qint32 found = ContactFile::find(
            [&](const ContactRecord& c) {
                return FixedRecord::trimBlanks(c.CallerName) == n
                    && FixedRecord::trimBlanks(c.CallerNumber) == m;
            },
            match);
        EXPECT_EQ(GetContactName(n, m), found > 0 ? FixedRecord::trimBlanks(match.ContactName) : QString())
            << name << " " << number;
    }
    EXPECT_EQ(GetContactName(QStringLiteral("ANNA B"), QStringLiteral("123")), u"First");
}

} // namespace
