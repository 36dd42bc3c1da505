#include "common/JournalFormat.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordedLaunch.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/WaitUntil.h"

#include <QDate>
#include <QDir>
#include <QJsonArray>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

const QString kSubjectTemplate = u"<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>"_s;
const QString kLineStatus = u"LineStatus\r\n0\r\n0\r\nFalse"_s;

class Forwarding : public LiveLine {
protected:
    void SetUp() override
    {
        LiveLine::SetUp();
        set(u"Properties\\TabLog"_s, u"chkLogSys"_s, u"1"_s);
    }

    void mailTo(const QString& server, bool mapi)
    {
        set(u"Forward\\Mail"_s, u"chkSendToMail"_s, u"1"_s);
        set(u"Forward\\Mail"_s, u"cmbActMail"_s, u"0"_s);
        set(u"Forward\\Mail"_s, u"txtMailTo"_s, u"ann@example.com"_s);
        set(u"MailForward\\Details"_s, u"txtFromMail"_s, u"ringvale@example.com"_s);
        set(u"MailForward\\Details"_s, u"txtSubject"_s, kSubjectTemplate);
        set(u"MailForward\\Details"_s, u"txtMessage"_s, u"Call from <CALLER_NAME>\r\n.\r\nEnd"_s);
        set(u"MailForward\\SMTP"_s, u"txtSMTP"_s, server);
        set(u"MailForward\\SMTP"_s, u"MAPI"_s, mapi ? u"1"_s : u"0"_s);
    }

    void startProgram(const QString& command, bool shown)
    {
        set(u"Forward\\App"_s, u"chkApp"_s, u"1"_s);
        set(u"Forward\\App"_s, u"cmbActApp"_s, u"0"_s);
        set(u"Forward\\App"_s, u"txtAppTo"_s, command);
        set(u"Forward\\App"_s, u"chkBGAPP"_s, shown ? u"1"_s : u"0"_s);
    }

    void callAnnLee()
    {
        const ToolRun call
            = line({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--fast"_s});
        ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
        ASSERT_TRUE(waitForIdles());
    }

    // Today's system journal, each entry without its time.
    QStringList sysJournal() const
    {
        QStringList out;
        const QString path = env.programFolder() + u"/Journal/"_s
            + JournalFormat::fileName(JournalFormat::Kind::Sys, QDate::currentDate());
        for (const QString& entry : journalEntries(path))
            out << entry.mid(11);
        return out;
    }
    bool waitForJournal(const QString& entry, int timeoutMs = 15000)
    {
        return waitUntil([&] { return sysJournal().contains(entry); }, timeoutMs);
    }
};

TEST_F(Forwarding, SmtpMailCarriesTheFilledTemplatesAndReportsItsProgress)
{
    SmtpSink smtp;
    ASSERT_TRUE(smtp.start());
    mailTo(smtp.server(), false);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(callAnnLee());

    ASSERT_TRUE(waitForJournal(u"->Sent the call details to ann@example.com complete(0)"_s))
        << sysJournal().join(u'\n').toStdString();
    const QList<QJsonObject> mails = smtp.mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails.first()[u"subject"].toString(), u"In Coming Call from Ann Lee - 5 5 5 1 2 3 4 "_s);
    EXPECT_EQ(mails.first()[u"from"].toString(), u"\"Ringvale 1.1\" <ringvale@example.com>"_s);
    EXPECT_EQ(mails.first()[u"rcpt_tos"].toArray(), QJsonArray{u"ann@example.com"_s});
    EXPECT_EQ(mails.first()[u"body"].toString(), u"Call from Ann Lee\r\n.\r\nEnd"_s);

    // The progress texts, then the line's state once the mail is out.
    ASSERT_TRUE(waitUntil([&] { return events.contains(kLineStatus); }));
    QStringList progress;
    for (const QString& event : events) {
        if (event.startsWith(u"MAIL\r\n"))
            progress << event;
    }
    ASSERT_FALSE(progress.isEmpty()) << events.join(u'|').toStdString();
    EXPECT_EQ(progress.last(), u"MAIL\r\n0\r\nSending mail... 100 %"_s);
    EXPECT_EQ(events.last(), kLineStatus);
    EXPECT_LT(events.indexOf(progress.last()), events.indexOf(kLineStatus));
}

TEST_F(Forwarding, SmtpFailureIsJournaledWithItsReason)
{
    const ClosedPort closed;
    ASSERT_NE(closed.port(), 0);
    mailTo(u"127.0.0.1:"_s + QString::number(closed.port()), false);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(callAnnLee());

    ASSERT_TRUE(waitUntil(
        [&] {
            for (const QString& entry : sysJournal()) {
                if (entry.startsWith(u"Mail1_Done->Sending the call details to ann@example.com failed: "_s)
                    && entry.endsWith(u"(7)"_s))
                    return true;
            }
            return false;
        },
        15000))
        << sysJournal().join(u'\n').toStdString();
    EXPECT_FALSE(sysJournal().join(u'\n').contains(u"complete"_s));
    EXPECT_TRUE(waitUntil([&] { return events.contains(kLineStatus); }));
}

TEST_F(Forwarding, MapiModeHandsExactlyOneMailRequestToTheDesktop)
{
    mailTo(u"unused.example.com"_s, true);
    QProcess listener;
    listener.setProcessEnvironment(env.processEnvironment());
    listener.start(TestEnvironment::binary(u"ringvale-chan"_s), {u"listen"_s, u"311"_s});
    ASSERT_TRUE(listener.waitForStarted());
    // The listener is bound once its endpoint's socket is in the runtime folder.
    ASSERT_TRUE(waitUntil([&] {
        MessageControl probe;
        return probe.Channel(311);
    }));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(callAnnLee());

    QByteArray output;
    ASSERT_TRUE(waitUntil(
        [&] {
            output += listener.readAllStandardOutput();
            return output.contains('\n');
        },
        10000));
    // Nothing more comes for this call.
    EXPECT_FALSE(waitUntil(
        [&] {
            output += listener.readAllStandardOutput();
            return output.count('\n') > 1;
        },
        1000));
    listener.terminate();
    listener.waitForFinished();
    EXPECT_EQ(output,
        "311 SendMail\\x14ann@example.com\\x14In Coming Call from Ann Lee - 5 5 5 1 2 3 4 \\x14"
        "Call from Ann Lee\\r\\n.\\r\\nEnd\\x14NOFILE\n");
}

TEST_F(Forwarding, MapiModeWithNobodyOnTheMailChannelIsJournaled)
{
    mailTo(u"unused.example.com"_s, true);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(callAnnLee());
    EXPECT_TRUE(waitForJournal(
        u"SendCallByMail->The desktop program takes no mail; not sent to ann@example.com(0)"_s))
        << sysJournal().join(u'\n').toStdString();
}

struct ProgramCase {
    const char* name;
    bool shown;
};

class ForwardingToAProgram : public Forwarding, public ::testing::WithParamInterface<ProgramCase> { };

TEST_P(ForwardingToAProgram, GetsTheTemplatesArgumentsWithoutAShell)
{
    QTemporaryDir out;
    const QString record = out.filePath(u"record.txt"_s);
    extra.insert(u"ARGS_RECORDER_OUT"_s, record);
    extra.insert(u"DISPLAY"_s, u":99"_s);
    startProgram(u"\""_s + argsRecorderPath()
            + u"\" --from \"<CALLER_NAME>\" <CALLER_NUMBER> \"\"\"<CALL_TYPE>\"\"\" ;id"_s,
        GetParam().shown);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(callAnnLee());

    std::optional<RecordedLaunch> launch;
    ASSERT_TRUE(waitUntil([&] { return (launch = readRecordedLaunch(record)).has_value(); }, 10000))
        << sysJournal().join(u'\n').toStdString();
    EXPECT_EQ(launch->arguments,
        (QStringList{u"--from"_s, u"Ann Lee"_s, u"5 5 5 1 2 3 4 "_s, u"\"In Coming Call\""_s, u";id"_s}));
    EXPECT_EQ(launch->environment.contains(u"DISPLAY"_s), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Styles, ForwardingToAProgram,
    ::testing::Values(ProgramCase{"hidden", false}, ProgramCase{"shown", true}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

TEST_F(Forwarding, MissingProgramIsJournaledWithTheSystemsError)
{
    startProgram(u"/nonexistent/notify <CALLER_NAME>"_s, false);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(callAnnLee());
    EXPECT_TRUE(waitForJournal(u"->Error Send To APP ->2 No such file or directory(0)"_s))
        << sysJournal().join(u'\n').toStdString();
}

} // namespace
