#include "common/ChannelLayout.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "tests/support/FakeSendmail.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString sendMailText(const QString& to, const QString& subject, const QString& body)
{
    // Raw, as a careless sender would write it: Postrun cleans what it takes.
    return QStringList{u"SENDMAIL"_s, to, subject, body, u"NOFILE"_s}.join(ChannelLayout::MailSeparator);
}

// Postrun started in a test installation, with the desktop's end of 112 in
// this process.
class PostrunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(
            &desktop, &MessageControl::MessageArrived, [this](const QString& text) { answers << text; });
    }
    void TearDown() override
    {
        for (auto& process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                process->waitForFinished(testTimeout(5000));
            }
        }
    }

    QProcess& start(const QString& path, const QStringList& args = {u"-gc"_s})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = env.processEnvironment();
        environment.insert(u"PATH"_s, path);
        process->setProcessEnvironment(environment);
        process->start(TestEnvironment::binary(u"Postrun"_s), args);
        processes.push_back(std::move(process));
        return *processes.back();
    }

    // Postrun running and bound to 112.
    void startListening(const QString& path)
    {
        QProcess& postrun = start(path);
        ASSERT_TRUE(postrun.waitForStarted(testTimeout(5000)));
        ASSERT_TRUE(waitUntil([&] { return desktop.Channel(ChannelNumber::PostrunChannel); }));
    }

    // Sends and waits for the answer.
    void mail(const QString& text)
    {
        const qsizetype before = answers.size();
        desktop.Send(text);
        ASSERT_TRUE(waitUntil([&] { return answers.size() > before; }, 10000));
        EXPECT_EQ(answers.constLast(), u"DONE_SEND_MAIL");
    }

    QString errors() { return QString::fromUtf8(processes.front()->readAllStandardError()); }

    TestEnvironment env;
    FakeSendmail sendmail;
    MessageControl desktop;
    QStringList answers;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(PostrunTest, EachMailGoesToSendmailWithExactArgumentsAndHeaderLines)
{
    startListening(sendmail.path());
    mail(sendMailText(u"ann@example.com"_s, u"Call from Ann Lee"_s, u"Ann Lee\r\n5551234\r\n."_s));
    mail(sendMailText(u"bob@example.com"_s, u"Anruf von Jürgen"_s, u"Zweite"_s));
    const QList<FakeSendmail::Run> runs = sendmail.runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].arguments, (QStringList{u"-i"_s, u"--"_s, u"ann@example.com"_s}));
    EXPECT_EQ(runs[0].input,
        QByteArray("To: ann@example.com\n"
                   "Subject: Call from Ann Lee\n"
                   "MIME-Version: 1.0\n"
                   "Content-Type: text/plain; charset=UTF-8\n"
                   "Content-Transfer-Encoding: 8bit\n"
                   "\n"
                   "Ann Lee\n5551234\n.\n"));
    EXPECT_EQ(runs[1].arguments, (QStringList{u"-i"_s, u"--"_s, u"bob@example.com"_s}));
    const QByteArray subject
        = "Subject: =?UTF-8?B?" + QByteArray("Anruf von J\xc3\xbcrgen").toBase64() + "?=\n";
    EXPECT_TRUE(runs[1].input.contains(subject)) << runs[1].input.toStdString();
    EXPECT_TRUE(runs[1].input.endsWith("\n\nZweite\n"));
}

// Recipient and subject are header lines: a line break cannot add another.
TEST_F(PostrunTest, LineBreaksInSubjectOrRecipientAddNoHeaderLine)
{
    startListening(sendmail.path());
    mail(sendMailText(u"ann@example.com\r\nBcc: eve@example.com"_s, u"Hello\r\nBcc: x"_s, u"Body"_s));
    const QList<FakeSendmail::Run> runs = sendmail.runs();
    ASSERT_EQ(runs.size(), 1);
    const QByteArray head = runs[0].input.left(runs[0].input.indexOf("\n\n"));
    EXPECT_EQ(head.count("Subject:"), 1);
    EXPECT_TRUE(head.contains("Subject: Hello  Bcc: x\n")) << head.toStdString();
    EXPECT_FALSE(head.contains("\nBcc:")) << head.toStdString();
    EXPECT_EQ(runs[0].arguments.size(), 3);
    EXPECT_EQ(runs[0].arguments[2], u"ann@example.com  Bcc: eve@example.com");
}

// Nothing that could be taken for an option reaches sendmail; the desktop is
// answered all the same, so its queue goes on.
TEST_F(PostrunTest, ARecipientThatIsNoAddressRunsNothingYetIsAnswered)
{
    // The desktop's event channel, and the system journal switched on.
    MessageControl events;
    QStringList shown;
    events.Channel(ChannelNumber::EventChannel);
    QObject::connect(&events, &MessageControl::MessageArrived, [&](const QString& text) { shown << text; });
    ASSERT_TRUE(RegistryRoutines::forProduct(u"Properties\\TabLog"_s).setString(u"chkLogSys"_s, u"1"_s));
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));

    startListening(sendmail.path());
    const QStringList recipients = {u"-oQ/tmp"_s, u" -t"_s, QString(), u"\r\n"_s};
    for (const QString& to : recipients) {
        SCOPED_TRACE(to.toStdString());
        mail(sendMailText(to, u"S"_s, u"B"_s));
    }
    EXPECT_TRUE(sendmail.runs().isEmpty());
    // Not sent, where the user looks: the status bar and the journal.
    ASSERT_TRUE(waitUntil([&] { return shown.size() == recipients.size(); }))
        << shown.join(u" | "_s).toStdString();
    for (const QString& text : std::as_const(shown))
        EXPECT_TRUE(text.startsWith(u"MAIL\r\n0\r\nMail not sent: the mail \"S\" was not sent"_s))
            << text.toStdString();
    // Postrun's clock is the system's: the journal of the day it wrote in.
    QStringList journal;
    for (const QFileInfo& file : QDir(env.programFolder() + u"/Journal"_s).entryInfoList({u"*_Sys.txt"_s}))
        journal += journalEntries(file.filePath());
    EXPECT_EQ(journal.size(), recipients.size()) << journal.join(u'\n').toStdString();
    for (const QString& line : journal)
        EXPECT_TRUE(line.contains(u"Postrun->the mail \"S\" was not sent: the recipient"_s))
            << line.toStdString();
    processes.front()->terminate();
    ASSERT_TRUE(processes.front()->waitForFinished(testTimeout(5000)));
    const QString said = errors();
    EXPECT_TRUE(said.contains(u"-oQ/tmp"_s)) << said.toStdString();
    EXPECT_TRUE(said.contains(u"no address"_s)) << said.toStdString();
}

TEST_F(PostrunTest, WithoutAnySendmailOrWithAFailingOneTheMailIsAnsweredAndTheFailureSaid)
{
    if (QFile::exists(u"/usr/sbin/sendmail"_s))
        GTEST_SKIP() << "this machine has a sendmail of its own";
    {
        SCOPED_TRACE("no sendmail");
        startListening(u"/usr/bin:/bin"_s);
        mail(sendMailText(u"ann@example.com"_s, u"S"_s, u"B"_s));
        processes.front()->terminate();
        ASSERT_TRUE(processes.front()->waitForFinished(testTimeout(5000)));
        const QString said = errors();
        EXPECT_TRUE(said.contains(u"no sendmail"_s)) << said.toStdString();
        EXPECT_TRUE(said.contains(u"ann@example.com"_s)) << said.toStdString();
        processes.clear();
    }
    {
        SCOPED_TRACE("a failing sendmail");
        sendmail.setExitStatus(75);
        ASSERT_TRUE(waitUntil([&] { return !desktop.Channel(ChannelNumber::PostrunChannel); }));
        startListening(sendmail.path());
        mail(sendMailText(u"ann@example.com"_s, u"S"_s, u"B"_s));
        mail(sendMailText(u"bob@example.com"_s, u"S"_s, u"B"_s));
        EXPECT_EQ(sendmail.runs().size(), 2);
        processes.front()->terminate();
        ASSERT_TRUE(processes.front()->waitForFinished(testTimeout(5000)));
        const QString said = errors();
        EXPECT_TRUE(said.contains(u"exit status 75"_s)) << said.toStdString();
        EXPECT_TRUE(said.contains(u"fake sendmail refuses"_s)) << said.toStdString();
    }
}

TEST_F(PostrunTest, OneRunsPerProgramFolderAndUnloadEndsIt)
{
    startListening(sendmail.path());
    QProcess& second = start(sendmail.path());
    ASSERT_TRUE(second.waitForFinished(testTimeout(5000)));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());

    desktop.Send(u"UNLOAD"_s);
    QProcess& first = *processes.front();
    ASSERT_TRUE(first.waitForFinished(testTimeout(5000)));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_FALSE(desktop.Channel(ChannelNumber::PostrunChannel));
}

// A desktop that went without saying UNLOAD (killed, or gone before Postrun
// listened) does not leave it running for good.
TEST_F(PostrunTest, WithoutADesktopOn112ItEndsByItself)
{
    QProcess& postrun = start(sendmail.path());
    ASSERT_TRUE(postrun.waitForStarted(testTimeout(5000)));
    ASSERT_TRUE(waitUntil([&] { return postrun.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(postrun.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(postrun.exitCode(), 0);
}

TEST_F(PostrunTest, OnlyTheDesktopsSwitchStartsIt)
{
    for (const QStringList& args : {QStringList{}, QStringList{u"-GC"_s}, QStringList{u"-gc"_s, u"x"_s}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        QProcess& postrun = start(sendmail.path(), args);
        ASSERT_TRUE(postrun.waitForFinished(testTimeout(5000)));
        EXPECT_EQ(postrun.exitCode(), 2);
        EXPECT_TRUE(postrun.readAllStandardError().startsWith("Postrun: usage: Postrun -gc"));
    }
    QProcess& help = start(sendmail.path(), {u"--help"_s});
    ASSERT_TRUE(help.waitForFinished(testTimeout(5000)));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const QString& part : {u"usage: Postrun -gc"_s, u"sendmail -i -- recipient"_s, u"DONE_SEND_MAIL"_s,
             u"UNLOAD"_s, u"Exit status: 0"_s})
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
}

} // namespace
