#include "common/AppPaths.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "platform/SingleInstanceLock.h"
#include "tests/support/FakeSendmail.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A header's text with its encoded words (base64 UTF-8) decoded and its
// folds undone.
QString decodedHeader(const QByteArray& message, const QByteArray& name)
{
    const QByteArray head = message.left(message.indexOf("\n\n"));
    const QByteArray prefix = name + ": ";
    QByteArray value;
    bool inside = false;
    for (const QByteArray& line : head.split('\n')) {
        if (line.startsWith(prefix)) {
            value = line.mid(prefix.size());
            inside = true;
        } else if (inside && line.startsWith(' ')) {
            value += line;
        } else {
            inside = false;
        }
    }
    static const QRegularExpression word(u"\\s*=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?=\\s*"_s);
    QString text = QString::fromUtf8(value);
    QString decoded;
    qsizetype at = 0;
    for (auto match = word.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        decoded += text.mid(at, m.capturedStart() - at);
        decoded += QString::fromUtf8(QByteArray::fromBase64(m.captured(1).toLatin1()));
        at = m.capturedEnd();
    }
    return decoded + text.mid(at);
}

// The real desktop, its service and its Postrun in one installation, with a
// sendmail of the test's first on PATH.
class MailThroughPostrun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(systemctl.isValid());
        systemctl.setState(u"not-found"_s, u"inactive"_s);
        env.installShippedDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
            env.programFolder() + u"/Trans/English.txt"_s));
        set(QString(), u"First"_s, u"0"_s);
        set(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s, u"0"_s);
        set(u"Forward\\Mail"_s, u"chkSendToMail"_s, u"1"_s);
        set(u"Forward\\Mail"_s, u"cmbActMail"_s, u"0"_s);
        set(u"Forward\\Mail"_s, u"txtMailTo"_s, u"ann@example.com"_s);
        set(u"MailForward\\Details"_s, u"txtSubject"_s,
            u"<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>"_s);
        set(u"MailForward\\Details"_s, u"txtMessage"_s, u"Call from <CALLER_NAME>\r\n.\r\nEnd"_s);
        set(u"MailForward\\SMTP"_s, u"MAPI"_s, u"1"_s);
    }
    void TearDown() override
    {
        if (desktop.state() != QProcess::NotRunning) {
            desktop.kill();
            desktop.waitForFinished();
        }
        MessageControl proc;
        if (proc.Channel(ChannelNumber::ProcChannel)) {
            proc.Send(MessageName::Unload.toString());
            proc.Flush(2000);
        }
        MessageControl postrun;
        if (postrun.Channel(ChannelNumber::PostrunChannel)) {
            postrun.Send(MessageName::Unload.toString());
            postrun.Flush(2000);
        }
    }

    static void set(const QString& subkey, const QString& name, const QString& value)
    {
        const RegistryRoutines key = RegistryRoutines::forProduct(subkey);
        (void)key.CreateKey();
        ASSERT_TRUE(key.setString(name, value)) << name.toStdString();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = env.processEnvironment();
        if (environment.value(u"QT_QPA_PLATFORM"_s).isEmpty())
            environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"PATH"_s, sendmail.path());
        return environment;
    }

    int run(const QString& program, const QStringList& args, QByteArray* err = nullptr)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(TestEnvironment::binary(program), args);
        if (!process.waitForStarted(testTimeout(5000)))
            return -1;
        waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000);
        if (err)
            *err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    static bool ended(const QString& lockName)
    {
        const SingleInstanceLock lock(AppPaths::runtimeFolder() + u'/' + lockName);
        return lock.state() == SingleInstanceLock::State::Acquired;
    }

    FakeSystemctl systemctl;
    TestEnvironment env;
    FakeSendmail sendmail;
    QProcess desktop;
};

} // namespace

TEST_F(MailThroughPostrun, AForwardedCallReachesSendmailOnceWithTheFilledSubject)
{
    desktop.setProcessEnvironment(environment());
    desktop.start(TestEnvironment::binary(u"Ringvale"_s), {});
    ASSERT_TRUE(desktop.waitForStarted(testTimeout(5000)));
    // The desktop started its service beside it (and its Postrun, started
    // again for each mail).
    ASSERT_TRUE(waitUntil([&] { return run(u"ringvale-line"_s, {u"status"_s}) == 0; }, 30000))
        << desktop.readAllStandardError().toStdString();

    QByteArray err;
    ASSERT_EQ(run(u"ringvale-line"_s,
                  {u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--fast"_s}, &err),
        0)
        << err.toStdString();
    ASSERT_TRUE(waitUntil([&] { return !sendmail.runs().isEmpty(); }, 30000))
        << desktop.readAllStandardError().toStdString();
    EXPECT_TRUE(staysFalse([&] { return sendmail.runs().size() > 1; }, 1500));

    const FakeSendmail::Run mail = sendmail.runs().constFirst();
    EXPECT_EQ(mail.arguments, (QStringList{u"-i"_s, u"--"_s, u"ann@example.com"_s}));
    EXPECT_TRUE(mail.input.startsWith("To: ann@example.com\n")) << mail.input.toStdString();
    EXPECT_EQ(decodedHeader(mail.input, "Subject"), u"In Coming Call from Ann Lee - 5 5 5 1 2 3 4 "_s)
        << mail.input.toStdString();
    EXPECT_TRUE(mail.input.endsWith("\n\nCall from Ann Lee\n.\nEnd\n")) << mail.input.toStdString();

    // The desktop's exit ends its Postrun too.
    ASSERT_EQ(run(u"Ringvale"_s, {u"-uia"_s}), 0);
    ASSERT_TRUE(desktop.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(desktop.exitCode(), 0);
    EXPECT_TRUE(waitUntil([] { return ended(u"Postrun.lock"_s); }, 20000));
    EXPECT_TRUE(waitUntil([] { return ended(u"RingvaleSvc.lock"_s); }, 20000));
}
