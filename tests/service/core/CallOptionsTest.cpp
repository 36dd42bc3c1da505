#include "service/core/CallOptions.h"
#include "common/RegistryRoutines.h"
#include "service/core/Journal.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

const char* const kSections[] = {"", "Properties\\TabGeneral", "Events\\TabInCommingCall", "Forward\\Mail",
    "Forward\\App", "MailForward\\Details", "MailForward\\SMTP"};

void createSections()
{
    const RegistryRoutines root(RegistryRoutines::HKEY_LOCAL_MACHINE, QString(), QString());
    for (const char* section : kSections)
        root.CreateKey(RegistryRoutines::productKey() + u'\\' + QString::fromLatin1(section));
}

void set(const char* section, const char* name, const QString& value)
{
    ASSERT_TRUE(RegistryRoutines::forProduct(QString::fromLatin1(section))
                    .setString(QString::fromLatin1(name), value));
}

// Conversion failures are journaled elsewhere (the line engine's tests).
const Journal kSwitchedOff;

QString text(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

TEST(CallOptions_SetDefaultCallOption, ReadsEachSettingIntoItsMember)
{
    using Get = std::function<QString(const CurrentCall&)>;
    struct Case {
        const char* section;
        const char* name;
        QString value;
        Get get;
        QString expected;
    };
    const Case cases[] = {
        {"", "bRun", QStringLiteral("1"), [](auto& c) { return text(c.settings.bRun); },
            QStringLiteral("true")},
        {"Properties\\TabGeneral", "chkDoEventsWhenGUI", QStringLiteral("1"),
            [](auto& c) { return text(c.settings.bDoEventsWhenGUI); }, QStringLiteral("true")},
        {"Events\\TabInCommingCall", "chkWhenCallerID", QStringLiteral("1"),
            [](auto& c) { return text(c.settings.bActOnCallerId); }, QStringLiteral("true")},
        {"Events\\TabInCommingCall", "chkViewLineControl_IC", QStringLiteral("5"),
            [](auto& c) { return text(c.options.ShowLineControl); }, QStringLiteral("true")},
        {"Events\\TabInCommingCall", "cmbCallDisplayStyleIncomming", QStringLiteral("1"),
            [](auto& c) { return QString::number(c.options.DisplayStyle); }, QStringLiteral("1")},
        {"Events\\TabInCommingCall", "chkICViewCD", QStringLiteral("1"),
            [](auto& c) { return text(c.options.ShowCallDetails); }, QStringLiteral("true")},
        {"Events\\TabInCommingCall", "chkICViewCD", QStringLiteral("0"),
            [](auto& c) { return text(c.options.ShowCallDetails); }, QStringLiteral("false")},
        {"Events\\TabInCommingCall", "chkPlayInCall", QStringLiteral(" 1 "),
            [](auto& c) { return text(c.options.bPlaySound_IC); }, QStringLiteral("true")},
        {"Events\\TabInCommingCall", "CmbPlayWhenCall", QStringLiteral("Ring 1.wav"),
            [](auto& c) { return c.options.SoundFile; }, QStringLiteral("Ring 1.wav")},
        {"Events\\TabInCommingCall", "chkSayInCommingCall", QStringLiteral("-1"),
            [](auto& c) { return text(c.options.SayText); }, QStringLiteral("true")},
        {"Events\\TabInCommingCall", "IC_txtTTS", QStringLiteral("Call from <CALLER_NAME>"),
            [](auto& c) { return c.options.SpeechText; }, QStringLiteral("Call from <CALLER_NAME>")},
        {"Forward\\Mail", "chkSendToMail", QStringLiteral("1"),
            [](auto& c) { return text(c.options.ForwardToMail); }, QStringLiteral("true")},
        {"Forward\\Mail", "cmbActMail", QStringLiteral("2"),
            [](auto& c) { return QString::number(c.options.MailAction); }, QStringLiteral("2")},
        {"Forward\\Mail", "txtMailTo", QStringLiteral("me@example.org"),
            [](auto& c) { return c.options.MailTo; }, QStringLiteral("me@example.org")},
        {"MailForward\\Details", "txtFromMail", QStringLiteral("svc@example.org"),
            [](auto& c) { return c.settings.FromMail; }, QStringLiteral("svc@example.org")},
        {"MailForward\\Details", "txtSubject", QStringLiteral("Call <DATE>"),
            [](auto& c) { return c.settings.MailSubject; }, QStringLiteral("Call <DATE>")},
        {"MailForward\\Details", "txtMessage", QStringLiteral("From <CALLER_NUMBER>"),
            [](auto& c) { return c.settings.MailMessage; }, QStringLiteral("From <CALLER_NUMBER>")},
        {"MailForward\\SMTP", "txtSMTP", QStringLiteral("smtp.example.org"),
            [](auto& c) { return c.settings.SmtpServer; }, QStringLiteral("smtp.example.org")},
        {"MailForward\\SMTP", "txtSMTPUserName", QStringLiteral("user"),
            [](auto& c) { return c.settings.SmtpUserName; }, QStringLiteral("user")},
        {"MailForward\\SMTP", "txtSMTPPass", QStringLiteral("p4ss"),
            [](auto& c) { return c.settings.SmtpPassword; }, QStringLiteral("p4ss")},
        {"MailForward\\SMTP", "MAPI", QStringLiteral("1"), [](auto& c) { return text(c.settings.bMapi); },
            QStringLiteral("true")},
        // Only the exact text "1" selects MAPI.
        {"MailForward\\SMTP", "MAPI", QStringLiteral("True"), [](auto& c) { return text(c.settings.bMapi); },
            QStringLiteral("false")},
        {"MailForward\\SMTP", "MAPI", QStringLiteral(" 1"), [](auto& c) { return text(c.settings.bMapi); },
            QStringLiteral("false")},
        {"Forward\\App", "chkApp", QStringLiteral("1"), [](auto& c) { return text(c.options.ForwardToApp); },
            QStringLiteral("true")},
        {"Forward\\App", "cmbActApp", QStringLiteral("1"),
            [](auto& c) { return QString::number(c.options.AppAction); }, QStringLiteral("1")},
        {"Forward\\App", "txtAppTo", QStringLiteral("notify <CALLER_NUMBER>"),
            [](auto& c) { return c.options.AppCommand; }, QStringLiteral("notify <CALLER_NUMBER>")},
        {"Forward\\App", "chkBGAPP", QStringLiteral("1"),
            [](auto& c) { return text(c.settings.bAppInBackground); }, QStringLiteral("true")},
        {"Properties\\TabGeneral", "txtlNumOfItemsInLast", QStringLiteral("30"),
            [](auto& c) { return QString::number(c.settings.ItemsInLast); }, QStringLiteral("30")},
        // Values that do not convert keep the cleared member.
        {"Events\\TabInCommingCall", "chkICViewCD", QStringLiteral("yes"),
            [](auto& c) { return text(c.options.ShowCallDetails); }, QStringLiteral("false")},
        {"Events\\TabInCommingCall", "chkPlayInCall", QStringLiteral("1.5"),
            [](auto& c) { return text(c.options.bPlaySound_IC); }, QStringLiteral("false")},
        {"Forward\\Mail", "cmbActMail", QStringLiteral("70000"), // beyond 16 bits
            [](auto& c) { return QString::number(c.options.MailAction); }, QStringLiteral("0")},
        // Anything but a whole number of at least 1 would cut Data/Last to one line.
        {"Properties\\TabGeneral", "txtlNumOfItemsInLast", QStringLiteral("thirty"),
            [](auto& c) { return QString::number(c.settings.ItemsInLast); }, QStringLiteral("30")},
        {"Properties\\TabGeneral", "txtlNumOfItemsInLast", QStringLiteral("0"),
            [](auto& c) { return QString::number(c.settings.ItemsInLast); }, QStringLiteral("30")},
        {"Properties\\TabGeneral", "txtlNumOfItemsInLast", QStringLiteral("-1"),
            [](auto& c) { return QString::number(c.settings.ItemsInLast); }, QStringLiteral("30")},
        {"Properties\\TabGeneral", "txtlNumOfItemsInLast", QStringLiteral("1"),
            [](auto& c) { return QString::number(c.settings.ItemsInLast); }, QStringLiteral("1")},
        {"Properties\\TabGeneral", "txtlNumOfItemsInLast", QStringLiteral(" 45 "),
            [](auto& c) { return QString::number(c.settings.ItemsInLast); }, QStringLiteral("45")},
    };
    for (const Case& c : cases) {
        TestEnvironment env;
        createSections();
        set(c.section, c.name, c.value);
        CurrentCall call;
        SetDefaultCallOption(kSwitchedOff, call, QStringLiteral("Incoming call"));
        EXPECT_EQ(c.get(call), c.expected) << c.name << " = " << c.value.toStdString();
    }
}

TEST(CallOptions_SetDefaultCallOption, ClearsThePreviousCallAndReadsMissingValuesAsEmpty)
{
    TestEnvironment env;
    createSections();
    CurrentCall call;
    call.bRejectCall = call.RecordCallFlag = call.bRecordDialledCall = true;
    call.options.BlockCall = call.options.ForwardToMail = call.options.AnswerEnabled = true;
    call.options.SoundFile = QStringLiteral("old.wav");
    call.options.DisplayStyle = 1;
    call.settings.ItemsInLast = 12;

    SetDefaultCallOption(kSwitchedOff, call, QStringLiteral("Incoming call"));

    EXPECT_FALSE(call.bRejectCall);
    EXPECT_FALSE(call.RecordCallFlag);
    EXPECT_FALSE(call.bRecordDialledCall);
    EXPECT_FALSE(call.options.BlockCall);
    EXPECT_FALSE(call.options.ForwardToMail);
    EXPECT_FALSE(call.options.AnswerEnabled);
    EXPECT_EQ(call.options.SoundFile, QString());
    EXPECT_EQ(call.options.DisplayStyle, 0);
    EXPECT_EQ(call.settings.ItemsInLast, kDefaultItemsInLast);
    EXPECT_EQ(call.Description, u"Incoming call");
}

TEST(CallOptions_SetCallInfo, StartsAnUnknownCallInTodaysCreatedDayFolder)
{
    TestEnvironment env;
    CurrentCall call;
    call.info.CallerName = QStringLiteral("old");
    call.info.MessagePath = QStringLiteral("old.wav");
    call.info.ContactName = QStringLiteral("old");
    call.EmergencyMark = 1;

    SetCallInfo(kSwitchedOff, call, QDateTime(QDate(2026, 3, 4), QTime(23, 59, 58)));

    EXPECT_EQ(call.info.CallerName, u"UNKNOWN");
    EXPECT_EQ(call.info.CallerNumber, u"UNKNOWN");
    EXPECT_EQ(call.info.CallDate, u"03/04/2026");
    EXPECT_EQ(call.info.CallTime, u"23:59:58");
    EXPECT_EQ(call.info.Length, u"0:00:00");
    EXPECT_EQ(call.info.CallType, u"0");
    EXPECT_EQ(call.info.ReadMark, 0);
    EXPECT_TRUE(call.info.MessagePath.isEmpty());
    EXPECT_TRUE(call.info.ContactName.isEmpty());
    EXPECT_EQ(call.EmergencyMark, 0);
    EXPECT_EQ(call.DayFolder, u"\\Data\\Log\\2026\\03\\04\\");
    EXPECT_TRUE(QDir(env.programFolder() + QStringLiteral("/Data/Log/2026/03/04")).exists());
}

TEST(CallOptions_Numbers, FlagsAndWholeNumbersConvertOrRefuse)
{
    const std::pair<const char*, std::optional<bool>> flags[] = {{"0", false}, {"1", true}, {"2", true},
        {"-1", true}, {" 1 ", true}, {"+0", false}, {"", std::nullopt}, {"-", std::nullopt},
        {"True", std::nullopt}, {"1a", std::nullopt}, {"99999999999999999999", std::nullopt}};
    for (const auto& [textValue, flag] : flags)
        EXPECT_EQ(readFlag(QString::fromLatin1(textValue)), flag) << textValue;
    EXPECT_EQ(readFlag(QString(1, QChar(0))), std::nullopt);
}

} // namespace
