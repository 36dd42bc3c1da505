#include "service/line/MailAndAppForwarding.h"

#include "common/ChannelMessages.h"
#include "common/ContactRecord.h"
#include "platform/CurlSmtpMail.h"
#include "tests/service/line/CallFixture.h"
#include "tests/support/DataFiles.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestMailAndLauncher.h"
#include "tests/support/WaitUntil.h"

using namespace Qt::StringLiterals;

namespace {

struct ProgressRow {
    qint64 total;
    qint64 done;
    const char* text;
};

TEST(MailProgressText, WholePercentWithHalvesToTheEvenNeighbour)
{
    const ProgressRow rows[] = {
        {200, 100, "Sending mail... 50 %"},
        {8, 1, "Sending mail... 12 %"}, // 12.5
        {8, 3, "Sending mail... 38 %"}, // 37.5
        {200, 1, "Sending mail... 0 %"}, // 0.5
        {200, 3, "Sending mail... 2 %"}, // 1.5
        {200, 5, "Sending mail... 2 %"}, // 2.5
        {3, 2, "Sending mail... 67 %"},
        {200, 200, "Sending mail... 100 %"},
        {0, 0, "Sending mail... 0 %"}, // nothing to send yet
        {0, 5, "Sending mail... 0 %"},
        // Counts past what an int holds, as a large mail's bytes may be.
        {8'000'000'000LL, 4'000'000'000LL, "Sending mail... 50 %"},
    };
    for (const ProgressRow& row : rows)
        EXPECT_EQ(MailProgressText(u"Sending mail... "_s, row.total, row.done), QString::fromLatin1(row.text))
            << row.done << " of " << row.total;
}

const QString kLineStatus = u"LineStatus\r\n0\r\n0\r\nFalse"_s;
const QString kSubject = u"<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>"_s;

class Forwarding : public CallFixture {
protected:
    void SetUp() override
    {
        CallFixture::SetUp();
        forwarding = new MailAndAppForwarding(mail, launcher, journal);
    }

    void mailOn(const QString& mailTo)
    {
        set(u"Forward\\Mail"_s, u"chkSendToMail"_s, u"1"_s);
        set(u"Forward\\Mail"_s, u"cmbActMail"_s, u"0"_s);
        set(u"Forward\\Mail"_s, u"txtMailTo"_s, mailTo);
        set(u"MailForward\\Details"_s, u"txtFromMail"_s, u"ringvale@example.com"_s);
        set(u"MailForward\\Details"_s, u"txtSubject"_s, kSubject);
        set(u"MailForward\\Details"_s, u"txtMessage"_s, u"<CALLER_NAME> called.\r\n.\r\nBye"_s);
        set(u"MailForward\\SMTP"_s, u"txtSMTP"_s, u"mail.example.com:587"_s);
        set(u"MailForward\\SMTP"_s, u"txtSMTPUserName"_s, u"ringvale"_s);
        set(u"MailForward\\SMTP"_s, u"txtSMTPPass"_s, u"s3cret"_s);
    }
    void appOn(const QString& command, const QString& shown)
    {
        set(u"Forward\\App"_s, u"chkApp"_s, u"1"_s);
        set(u"Forward\\App"_s, u"cmbActApp"_s, u"0"_s);
        set(u"Forward\\App"_s, u"txtAppTo"_s, command);
        set(u"Forward\\App"_s, u"chkBGAPP"_s, shown);
    }
    QStringList mailEvents() const
    {
        QStringList out;
        for (const QString& event : events) {
            if (event.startsWith(u"MAIL\r\n") || event.startsWith(u"LineStatus\r\n"))
                out << event;
        }
        return out;
    }

    TestSmtpMail mail;
    TestLauncher launcher;
};

TEST_F(Forwarding, SmtpMailGetsTheElevenArgumentsWithTheTemplatesFilled)
{
    mailOn(u"ann@example.com"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    ASSERT_EQ(mail.sent().size(), 1);
    EXPECT_EQ(mail.sent().first().arguments,
        (QStringList{u"mail.example.com:587"_s, u"ringvale@example.com"_s, u"Ringvale 1.1"_s,
            u"ann@example.com"_s, u"In Coming Call from Ann Lee - 5 5 5 1 2 3 4 "_s,
            u"Ann Lee called.\r\n.\r\nBye"_s, QString(), u"ringvale"_s, u"s3cret"_s, u"Ringvale 1.1"_s,
            u"Ringvale 1.1"_s}));
}

TEST_F(Forwarding, ProgressAndTheEndOfAMailReachTheDesktopAndTheJournal)
{
    mailOn(u"ann@example.com"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    ASSERT_EQ(mail.sent().size(), 1);
    const auto id = mail.sent().first().id;
    events.clear();
    emit mail.Progress(id, 0, 0);
    emit mail.Progress(id, 200, 100);
    emit mail.Progress(id, 200, 200);
    emit mail.Done(id);
    ASSERT_TRUE(waitUntil([&] { return events.contains(kLineStatus); }));
    EXPECT_EQ(mailEvents(),
        (QStringList{u"MAIL\r\n0\r\nSending mail... 0 %"_s, u"MAIL\r\n0\r\nSending mail... 50 %"_s,
            u"MAIL\r\n0\r\nSending mail... 100 %"_s, kLineStatus}));
    EXPECT_EQ(sysJournal().last(), u"->Sent the call details to ann@example.com complete(0)"_s);
}

TEST_F(Forwarding, FailedMailIsJournaledWithItsReasonNotAsComplete)
{
    mailOn(u"ann@example.com"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    ASSERT_EQ(mail.sent().size(), 1);
    events.clear();
    emit mail.Failed(mail.sent().first().id, 67, u"Login denied"_s);
    ASSERT_TRUE(waitUntil([&] { return events.contains(kLineStatus); }));
    EXPECT_EQ(sysJournal().last(),
        u"Mail1_Done->Sending the call details to ann@example.com failed: Login denied(67)"_s);
    EXPECT_FALSE(sysJournal().join(u'\n').contains(u"complete"_s));
}

TEST_F(Forwarding, EachMailsEndNamesItsOwnRecipient)
{
    // Two calls to two addresses, both mails still under way; they end in the
    // other order.
    mailOn(u"ann@example.com"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    set(u"Forward\\Mail"_s, u"txtMailTo"_s, u"bob@example.com"_s);
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 2));
    ASSERT_EQ(mail.sent().size(), 2);
    EXPECT_EQ(mail.sent().at(1).arguments.at(3), u"bob@example.com"_s);
    emit mail.Done(mail.sent().at(1).id);
    emit mail.Failed(mail.sent().at(0).id, 7, u"Could not connect"_s);
    // A mail that is not one of ours ends nothing.
    emit mail.Done(999);
    const QStringList journal = sysJournal();
    ASSERT_GE(journal.size(), 2);
    EXPECT_EQ(journal.mid(journal.size() - 2),
        (QStringList{u"->Sent the call details to bob@example.com complete(0)"_s,
            u"Mail1_Done->Sending the call details to ann@example.com failed: Could not connect(7)"_s}));
}

TEST_F(Forwarding, NoServerFailsAtOnceAndIsJournaled)
{
    CurlSmtpMail curl;
    delete forwarding;
    forwarding = new MailAndAppForwarding(curl, launcher, journal);
    mailOn(u"ann@example.com"_s);
    set(u"MailForward\\SMTP"_s, u"txtSMTP"_s, QString());
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    EXPECT_TRUE(waitUntil([&] {
        return sysJournal().contains(
            u"Mail1_Done->Sending the call details to ann@example.com failed: No SMTP server is set(3)"_s);
    })) << sysJournal().join(u'\n').toStdString();
    EXPECT_TRUE(waitUntil([&] { return events.contains(kLineStatus); }));
}

TEST_F(Forwarding, MailEndingAfterTheEngineUnloadedIsStillJournaled)
{
    mailOn(u"ann@example.com"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    ASSERT_EQ(mail.sent().size(), 1);
    line.reset();
    emit mail.Progress(mail.sent().first().id, 10, 10);
    emit mail.Done(mail.sent().first().id);
    EXPECT_EQ(sysJournal().last(), u"->Sent the call details to ann@example.com complete(0)"_s);
}

TEST_F(Forwarding, MapiModeHandsOneMailRequestToTheDesktop)
{
    mailOn(u"ann@example.com\r\nBcc: eve@example.com"_s);
    set(u"MailForward\\SMTP"_s, u"MAPI"_s, u"1"_s);
    MessageControl desktop;
    QStringList requests;
    desktop.Channel(ChannelNumber::MailChannel);
    QObject::connect(
        &desktop, &MessageControl::MessageArrived, [&](const QString& text) { requests << text; });
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    ASSERT_TRUE(waitUntil([&] { return !requests.isEmpty(); }));
    settle();
    EXPECT_EQ(requests,
        QStringList{u"SendMail\x14"
                    "ann@example.com  Bcc: eve@example.com\x14"
                    "In Coming Call from Ann Lee - 5 5 5 1 2 3 4 \x14"
                    "Ann Lee called.\r\n.\r\nBye\x14"
                    "NOFILE"_s});
    EXPECT_TRUE(mail.sent().isEmpty()) << "no SMTP in MAPI mode";
}

// A recipient of nothing but blanks (or none at all) sends nothing, in
// either mode, and says so in the journal and on the desktop's status bar.
TEST_F(Forwarding, EmptyRecipientSendsNothingAndSaysSo)
{
    const struct {
        const char* what;
        const char16_t* mailTo;
        bool mapi;
    } rows[] = {
        {"empty, SMTP", u"", false},
        {"blanks, SMTP", u"   ", false},
        {"empty, desktop mail", u"", true},
        {"blanks and a line break, desktop mail", u" \r\n ", true},
    };
    for (int said = 1; const auto& row : rows) {
        SCOPED_TRACE(row.what);
        // The engine owned the last row's forwarding: this row gets its own.
        if (said > 1)
            forwarding = new MailAndAppForwarding(mail, launcher, journal);
        mailOn(QString::fromUtf16(row.mailTo));
        set(u"MailForward\\SMTP"_s, u"MAPI"_s, row.mapi ? u"1"_s : u"0"_s);
        MessageControl desktop;
        QStringList requests;
        desktop.Channel(ChannelNumber::MailChannel);
        QObject::connect(
            &desktop, &MessageControl::MessageArrived, [&](const QString& text) { requests << text; });
        ASSERT_NO_FATAL_FAILURE(load());
        events.clear();
        ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
        ASSERT_TRUE(waitUntil([&] {
            return mailEvents().contains(u"MAIL\r\n0\r\nMail not sent: no mail address"_s);
        })) << events.join(u" | "_s).toStdString();
        settle();
        EXPECT_TRUE(requests.isEmpty());
        EXPECT_TRUE(mail.sent().isEmpty());
        EXPECT_EQ(sysJournal().count(
                      u"SendCallByMail->The call details were not sent: no mail address is set(0)"_s),
            said++)
            << sysJournal().join(u'\n').toStdString();
        EXPECT_FALSE(sysJournal().join(u'\n').contains(u"complete"_s));
        line.reset();
    }
}

TEST_F(Forwarding, MapiModeWithNobodyOnTheMailChannelIsJournaled)
{
    mailOn(u"ann@example.com"_s);
    set(u"MailForward\\SMTP"_s, u"MAPI"_s, u"1"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 1, 1));
    EXPECT_TRUE(sysJournal().contains(
        u"SendCallByMail->The desktop program takes no mail; not sent to ann@example.com(0)"_s))
        << sysJournal().join(u'\n').toStdString();
    EXPECT_TRUE(mail.sent().isEmpty());
}

struct ProgramRow {
    const char* name;
    QString command;
    QString shown; // chkBGAPP
    QString callerName;
    QString callerNumber;
    QString program;
    QStringList arguments;
    WindowStyle style;
};

class ForwardingToAProgram : public Forwarding, public ::testing::WithParamInterface<ProgramRow> { };

TEST_P(ForwardingToAProgram, TemplateIsSplitFirstThenEachArgumentFilled)
{
    const ProgramRow& row = GetParam();
    appOn(row.command, row.shown);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(row.callerName, row.callerNumber, 1, 1));
    ASSERT_EQ(launcher.started().size(), 1);
    EXPECT_EQ(launcher.started().first().program, row.program);
    EXPECT_EQ(launcher.started().first().arguments, row.arguments);
    EXPECT_EQ(launcher.started().first().style, row.style);
}

INSTANTIATE_TEST_SUITE_P(Rows, ForwardingToAProgram,
    ::testing::Values(
        ProgramRow{"placeholders_in_and_out_of_quotes",
            u"/usr/bin/notify-send \"Call from <CALLER_NAME>\" <CALLER_NUMBER> at <TIME>"_s, u"1"_s,
            u"Ann Lee"_s, u"5551234"_s, u"/usr/bin/notify-send"_s,
            {u"Call from Ann Lee"_s, u"5 5 5 1 2 3 4 "_s, u"at"_s, u"09:30 AM"_s}, WindowStyle::Shown},
        // Caller text from the network is one argument, whatever it holds.
        ProgramRow{"hostile_name_and_number", u"logger <CALLER_NAME> <CALLER_NUMBER>"_s, u"0"_s,
            u"x\"; rm -rf ~ \""_s, u"1;id"_s, u"logger"_s, {u"x\"; rm -rf ~ \""_s, u"1 ; i d "_s},
            WindowStyle::Hidden},
        ProgramRow{"quoted_program_and_literal_quotes", u"\"/opt/my tools/tell\" \"\"\"<CALL_TYPE>\"\"\""_s,
            QString(), u"Ann"_s, u"5551234"_s, u"/opt/my tools/tell"_s, {u"\"In Coming Call\""_s},
            WindowStyle::Hidden}),
    [](const ::testing::TestParamInfo<ProgramRow>& info) { return std::string(info.param.name); });

TEST_F(Forwarding, ProgramThatCannotStartIsJournaledWithTheSystemsError)
{
    appOn(u"/nonexistent/notify <CALLER_NAME>"_s, u"0"_s);
    launcher.setResult({2, u"No such file or directory"_s});
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann"_s, u"5551234"_s, 1, 1));
    EXPECT_EQ(sysJournal().last(), u"->Error Send To APP ->2 No such file or directory(0)"_s);
}

TEST_F(Forwarding, DialledCallStartsFromTheDefaultsNotTheLastCallersContact)
{
    // The defaults forward nothing; Ann's contact mails her calls to her own
    // address and starts her own program.
    ContactRecord ann = contactAsEditorWrites(u"Ann"_s, u"5551234"_s);
    ann.ActionsMode = u"3"_s;
    ann.ForwardToMail = u"1"_s;
    ann.MailTo = u"ann@contact.example"_s;
    ann.ForwardToApp = u"1"_s;
    ann.AppCommand = u"ann-notify"_s;
    ASSERT_NO_FATAL_FAILURE(writeContactFile({ann}));
    set(u"MailForward\\SMTP"_s, u"txtSMTP"_s, u"mail.example.com"_s);
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann"_s, u"5551234"_s, 1, 1));
    ASSERT_EQ(mail.sent().size(), 1);
    ASSERT_EQ(launcher.started().size(), 1);

    line->udiIn_MessageArrived(u"CallOut\r\n5559876"_s);
    settle();
    ASSERT_EQ(device()->farAnswer(), QString());
    settle();
    ASSERT_EQ(device()->farHangup(1000), QString());
    ASSERT_TRUE(waitForIdles(2));
    settle();
    EXPECT_EQ(mail.sent().size(), 1) << "the dialled call is not mailed to Ann";
    EXPECT_EQ(launcher.started().size(), 1) << "nor does it start Ann's program";
}

} // namespace
