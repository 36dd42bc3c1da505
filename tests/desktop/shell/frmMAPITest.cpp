#include "desktop/shell/frmMAPI.h"

#include "common/ChannelLayout.h"
#include "common/ChannelMessages.h"
#include "desktop/foundation/MailQueue.h"
#include "desktop/shell/frmProc.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestMailAndLauncher.h"
#include "tests/support/TestPostrun.h"
#include "tests/support/WaitUntil.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QChar kSep = ChannelLayout::MailSeparator;

QString fields(const QStringList& pieces)
{
    return pieces.join(kSep);
}

class frmMAPITest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto recorder = std::make_unique<TestLauncher>();
        launches = recorder.get();
        form.launcher = std::move(recorder);
        form.sPostrunProgram = u"/opt/ringvale/Postrun"_s;
    }

    // Lets the channel's texts arrive: what was sent is there once it came.
    bool settle(TestPostrun& postrun, qsizetype texts)
    {
        return waitUntil([&] { return postrun.received.size() >= texts; });
    }

    TestEnvironment env;
    TestClock clock;
    frmMAPI form{MessageControl::Delivery::SameProcessToo};
    TestLauncher* launches = nullptr;
};

TEST_F(frmMAPITest, LoadStartsPostrunAndEveryHandOverStartsItAgain)
{
    TestPostrun postrun;
    postrun.bind();
    form.Form_Load();
    ASSERT_EQ(launches->started().size(), 1);
    EXPECT_EQ(launches->started()[0].program, u"/opt/ringvale/Postrun");
    EXPECT_EQ(launches->started()[0].arguments, QStringList{u"-gc"_s});
    form.SendByQ(u"ann@example.com"_s, u"S"_s, u"B"_s, QString());
    EXPECT_EQ(launches->started().size(), 2);
}

// Each mail waits for the one before it; each goes out with its own fields.
TEST_F(frmMAPITest, ThreeRequestsAreHandedOverOneAtATimeInOrder)
{
    TestPostrun postrun;
    postrun.bind();
    form.Form_Load();
    form.SendByQ(u"ann@example.com"_s, u"First"_s, u"Line 1\r\nLine 2"_s, QString());
    form.SendByQ(u"bob@example.com"_s, u"Second"_s, u"Two"_s, u"NOFILE"_s);
    form.SendByQ(u"cy@example.com"_s, u"Third"_s, u"Three"_s, u"/tmp/a.txt"_s);
    EXPECT_EQ(form.lMailsCount, 3);
    ASSERT_TRUE(settle(postrun, 1));
    EXPECT_TRUE(staysFalse([&] { return postrun.received.size() > 1; }, 100));
    EXPECT_EQ(postrun.received[0],
        fields({u"SENDMAIL"_s, u"ann@example.com"_s, u"First"_s, u"Line 1\r\nLine 2"_s, u"NOFILE"_s}));
    EXPECT_EQ(form.sToAddress, u"ann@example.com");
    EXPECT_EQ(form.sSubject, u"First");

    postrun.answer();
    ASSERT_TRUE(settle(postrun, 2));
    EXPECT_EQ(postrun.received[1],
        fields({u"SENDMAIL"_s, u"bob@example.com"_s, u"Second"_s, u"Two"_s, u"NOFILE"_s}));
    EXPECT_EQ(form.lMailsCount, 2);
    postrun.answer();
    ASSERT_TRUE(settle(postrun, 3));
    EXPECT_EQ(postrun.received[2],
        fields({u"SENDMAIL"_s, u"cy@example.com"_s, u"Third"_s, u"Three"_s, u"/tmp/a.txt"_s}));
    postrun.answer();
    ASSERT_TRUE(waitUntil([&] { return form.lMailsCount == 0; }));
    EXPECT_TRUE(form.MailsFiles.isEmpty());
    EXPECT_EQ(postrun.received.size(), 3);
}

TEST_F(frmMAPITest, OnlyTheExactWordBeforeTheFirstLineBreakEndsAMail)
{
    struct Case {
        QString answer;
        bool done;
    };
    const Case cases[] = {
        {u"DONE_SEND_MAIL"_s, true},
        {u"DONE_SEND_MAIL\r\nx"_s, true},
        {u"done_send_mail"_s, false},
        {u"DONE_SEND_MAIL "_s, false},
        {u"DONE_SEND_MAIL\nx"_s, false},
        {QString(), false},
    };
    TestPostrun postrun;
    postrun.bind();
    form.Form_Load();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        const qsizetype before = postrun.received.size();
        form.SendByQ(u"ann@example.com"_s, u"S"_s, u"B"_s, QString());
        ASSERT_TRUE(settle(postrun, before + 1));
        postrun.answer(c.answer);
        if (c.done) {
            EXPECT_TRUE(waitUntil([&] { return form.lMailsCount == 0; }));
        } else {
            EXPECT_TRUE(staysFalse([&] { return form.lMailsCount != 1; }, 150));
            postrun.answer();
            ASSERT_TRUE(waitUntil([&] { return form.lMailsCount == 0; }));
        }
    }
}

TEST_F(frmMAPITest, AnAnswerWhileIdleIsIgnoredAndTheCountStaysAtZero)
{
    TestPostrun postrun;
    postrun.bind();
    form.Form_Load();
    postrun.answer();
    postrun.answer();
    EXPECT_TRUE(staysFalse([&] { return form.lMailsCount != 0; }, 150));
    postrun.answerAtOnce = true;
    form.SendByQ(u"ann@example.com"_s, u"S"_s, u"B"_s, QString());
    form.SendByQ(u"bob@example.com"_s, u"S2"_s, u"B2"_s, QString());
    // Had the idle answers counted, the second mail would never go.
    ASSERT_TRUE(waitUntil([&] { return form.lMailsCount == 0; }));
    EXPECT_EQ(postrun.sendMails().size(), 2);
}

// Nobody on 112: tried every 5 s; a silent Postrun: a second hand-over after
// 120 s, then the mail is dropped and the next one goes.
TEST_F(frmMAPITest, AMissingOrSilentPostrunCostsAMailTwoHandOversNotTheQueue)
{
    clock.setAutoAdvance(true);
    form.Form_Load();
    const qint64 start = clock.elapsedMs();
    form.SendByQ(u"ann@example.com"_s, u"Lost"_s, u"B"_s, QString());
    form.SendByQ(u"bob@example.com"_s, u"Kept"_s, u"B"_s, QString());
    EXPECT_EQ(launches->started().size(), 2);
    TestPostrun postrun;
    postrun.bind();
    clock.advance(3000); // not yet 5 s since the try
    EXPECT_TRUE(staysFalse([&] { return !postrun.received.isEmpty(); }, 100));
    clock.advance(2000);
    ASSERT_TRUE(settle(postrun, 1));
    EXPECT_TRUE(postrun.received[0].contains(u"Lost"));

    // Silent: 120 s from the start of the hand-over, a second one.
    clock.advance(start + frmMAPI::kHandOverMs - clock.elapsedMs() - 100);
    EXPECT_TRUE(staysFalse([&] { return postrun.received.size() > 1; }, 100));
    clock.advance(100);
    ASSERT_TRUE(settle(postrun, 2));
    EXPECT_TRUE(postrun.received[1].contains(u"Lost"));
    EXPECT_EQ(launches->started().size(), 3);

    ::testing::internal::CaptureStderr();
    clock.advance(frmMAPI::kHandOverMs);
    const bool next = settle(postrun, 3);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(next);
    EXPECT_TRUE(postrun.received[2].contains(u"Kept"));
    EXPECT_NE(said.find("ann@example.com"), std::string::npos) << said;
    EXPECT_NE(said.find("dropped"), std::string::npos) << said;
    EXPECT_EQ(form.lMailsCount, 1);
    postrun.answer();
    EXPECT_TRUE(waitUntil([&] { return form.lMailsCount == 0; }));
}

TEST_F(frmMAPITest, UnloadSaysUnloadToPostrunAndDropsTheWaitingMails)
{
    TestPostrun postrun;
    postrun.bind();
    form.Form_Load();
    form.SendByQ(u"ann@example.com"_s, u"S"_s, u"B"_s, QString());
    form.SendByQ(u"bob@example.com"_s, u"S"_s, u"B"_s, QString());
    ASSERT_TRUE(settle(postrun, 1));
    ::testing::internal::CaptureStderr();
    form.Form_Unload();
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(settle(postrun, 2));
    EXPECT_EQ(postrun.received[1], u"UNLOAD");
    EXPECT_EQ(form.lMailsCount, 0);
    EXPECT_TRUE(form.MailsFiles.isEmpty());
    EXPECT_NE(said.find("2 mail(s)"), std::string::npos) << said;
    postrun.answer(); // late: nothing to end any more
    EXPECT_TRUE(staysFalse([&] { return postrun.received.size() > 2 || form.lMailsCount != 0; }, 150));
}

// A queue that keeps what it was given, installed for its lifetime.
class RecordingQueue final : public MailQueue {
public:
    RecordingQueue() { SetMailQueue(this); }
    ~RecordingQueue() override { SetMailQueue(nullptr); }
    void SendByQ(
        const QString& to, const QString& subject, const QString& content, const QString& filePath) override
    {
        mails << QStringList{to, subject, content, filePath};
    }
    QList<QStringList> mails;
};

TEST(frmProcMail, TheMailChannelQueuesASendMailOfFiveFieldsOrMore)
{
    TestEnvironment env;
    RecordingQueue queue;
    frmProc hub;
    struct Case {
        QString text;
        QStringList queued; // empty: nothing queued
    };
    const Case cases[] = {
        {fields({u"SendMail"_s, u"ann@example.com"_s, u"Subject"_s, u"Body\r\nmore"_s, u"NOFILE"_s}),
            {u"ann@example.com"_s, u"Subject"_s, u"Body\r\nmore"_s, u"NOFILE"_s}},
        {fields({u"SendMail"_s, u"a"_s, u"s"_s, u"b"_s, u"NOFILE"_s, u"extra"_s}),
            {u"a"_s, u"s"_s, u"b"_s, u"NOFILE"_s}},
        {fields({u"SendMail"_s, u"a"_s, u"s"_s, u"b"_s}), {}},
        {fields({u"sendmail"_s, u"a"_s, u"s"_s, u"b"_s, u"NOFILE"_s}), {}},
        {fields({u"SENDMAIL"_s, u"a"_s, u"s"_s, u"b"_s, u"NOFILE"_s}), {}},
        {QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        queue.mails.clear();
        hub.udiMail_MessageArrived(c.text);
        if (c.queued.isEmpty())
            EXPECT_TRUE(queue.mails.isEmpty());
        else
            EXPECT_EQ(queue.mails, QList<QStringList>{c.queued});
    }
}

// From the service's channel to Postrun's: a request sent by another process
// on 311 reaches the loaded mail form, which hands it over on 112.
TEST(frmProcMail, ARequestOnTheMailChannelGoesToPostrun)
{
    TestEnvironment env;
    TestClock clock;
    TestPostrun postrun;
    postrun.bind();
    frmProc hub;
    auto form = std::make_unique<frmMAPI>(MessageControl::Delivery::SameProcessToo);
    auto recorder = std::make_unique<TestLauncher>();
    form->launcher = std::move(recorder);
    hub.LoadMailForm(std::move(form));
    EXPECT_EQ(&CurrentMailQueue(), static_cast<MailQueue*>(hub.MailForm()));
    hub.udiMail.Channel(ChannelNumber::MailChannel);

    QProcess sender;
    sender.setProcessEnvironment(env.processEnvironment());
    sender.start(QStringLiteral(RINGVALE_BIN_DIR "/ringvale-chan"),
        {u"send"_s, u"311"_s,
            u"SendMail\\x14ann@example.com\\x14Call from Ann\\x14Ann Lee 5551234\\x14NOFILE"_s});
    ASSERT_TRUE(sender.waitForFinished(testTimeout(10000)));
    EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !postrun.received.isEmpty(); }));
    EXPECT_EQ(postrun.received[0],
        fields({u"SENDMAIL"_s, u"ann@example.com"_s, u"Call from Ann"_s, u"Ann Lee 5551234"_s, u"NOFILE"_s}));
    hub.UnloadMailForm();
    ASSERT_TRUE(waitUntil([&] { return postrun.received.size() == 2; }));
    EXPECT_EQ(postrun.received[1], u"UNLOAD");
}

} // namespace
