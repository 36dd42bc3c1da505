#include "desktop/calls/frmDialer.h"

#include "common/SharedUtilities.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The command channel answers as scripted, once per question.
class ScriptedDialer : public frmDialer {
public:
    QList<bool> answers;

protected:
    bool CommandChannelReady() override { return answers.isEmpty() ? false : answers.takeFirst(); }
};

class frmDialerTest : public CallWindowsFixture {
protected:
    void SetUp() override
    {
        CallWindowsFixture::SetUp();
        QDir(env.programFolder()).mkpath(u"Data"_s);
        SetHubLink(&hub);
        g_bCallOutPending = false;
        g_bCallOutRecPending = false;
        g_lCallSeconds = 0;
    }
    void TearDown() override
    {
        SetHubLink(nullptr);
        CallWindowsFixture::TearDown();
    }

    static void writeNumbers(const QByteArray& data)
    {
        QFile file(frmDialer::DialCallsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }
    static QByteArray numbers()
    {
        QFile file(frmDialer::DialCallsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    // Dials the number with Send while ringvale-chan listens on 308; what it heard.
    QByteArray dial(frmDialer& dialer, const QString& number)
    {
        ChannelListener listener(env, {u"308"_s});
        EXPECT_TRUE(listener.waitUntilListening());
        dialer.SetNumber(number);
        dialer.cndSend_Click();
        const QList<QByteArray> heard = listener.waitForLines(1);
        return heard.value(0);
    }

    HubLink hub;
};

} // namespace

TEST_F(frmDialerTest, TheKeypadAppendsAndSendDialsAndListsTheNumber)
{
    ASSERT_FALSE(QFile::exists(frmDialer::DialCallsPath()));
    frmDialer dialer;
    // Opening made the list's file, empty.
    EXPECT_EQ(numbers(), QByteArray());
    EXPECT_TRUE(dialer.NumberText().isEmpty());
    EXPECT_EQ(dialer.PanelText(), entry(801));
    ChannelListener listener(env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    for (const char* name : {"cmd1", "cmd2", "cmdAsterisk", "cmd3", "cmd4", "cmdLadder"})
        QTest::mouseClick(dialer.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    EXPECT_EQ(dialer.NumberText(), u"12*34#"_s);
    g_lCallSeconds = 99;
    QTest::mouseClick(dialer.cndSend, Qt::LeftButton);
    EXPECT_EQ(listener.waitForLines(1).value(0), QByteArray("308 CallOut\\r\\n12*34#"));
    EXPECT_EQ(numbers(), QByteArray("12*34#\r\n"));
    EXPECT_EQ(dialer.cmbCallNumber->count(), 1);
    EXPECT_EQ(dialer.NumberText(), u"12*34#"_s);
    EXPECT_TRUE(g_bCallOutPending);
    EXPECT_FALSE(g_bCallOutRecPending);
    EXPECT_EQ(g_lCallSeconds, 0);

    // End hangs up whatever call there is.
    QTest::mouseClick(dialer.cmdEnd, Qt::LeftButton);
    EXPECT_EQ(listener.waitForLines(2).value(1), QByteArray("308 DropCall"));
}

TEST_F(frmDialerTest, TheListKeepsEachNumberOnceNewestFirstAndAtMostThirty)
{
    struct Case {
        const char* why;
        QByteArray before;
        QString number;
        QByteArray after;
    };
    QByteArray thirty;
    QByteArray newAndTwentyNine = "new\r\n";
    for (int n = 1; n <= 30; ++n) {
        const QByteArray line = "n" + QByteArray::number(n) + "\r\n";
        thirty += line;
        if (n < 30)
            newAndTwentyNine += line;
    }
    const Case cases[] = {
        {"a known number moves up, also from two lines", "111\r\n222\r\n333\r\n222\r\n", u"222"_s,
            "222\r\n111\r\n333\r\n"},
        {"the 31st drops the oldest", thirty, u"new"_s, newAndTwentyNine},
        {"blanks make another number", "123\r\n", u" 123"_s, " 123\r\n123\r\n"},
        {"an empty line is an entry", "\r\n9\r\n", u"8"_s, "8\r\n\r\n9\r\n"},
        {"a line with a control character is none", "1\x14\r\n2\r\n", u"3"_s, "3\r\n2\r\n"},
    };
    for (const Case& c : cases) {
        writeNumbers(c.before);
        frmDialer dialer;
        const QByteArray heard = dial(dialer, c.number);
        EXPECT_EQ(heard, "308 CallOut\\r\\n" + c.number.toUtf8()) << c.why;
        EXPECT_EQ(numbers(), c.after) << c.why;
    }
}

TEST_F(frmDialerTest, WithoutTheServiceNothingIsSentAndTheListStays)
{
    writeNumbers("555\r\n");
    frmDialer dialer;
    EXPECT_EQ(dialer.NumberText(), u"555"_s);
    dialer.SetNumber(u"777"_s);
    dialer.cndSend_Click();
    dialer.cmdRecCall_Click();
    EXPECT_EQ(numbers(), QByteArray("555\r\n"));
    EXPECT_FALSE(g_bCallOutPending);
    EXPECT_FALSE(g_bCallOutRecPending);
    // And an empty box dials nothing even with the service there.
    ScriptedDialer scripted;
    scripted.answers = {true, true};
    scripted.SetNumber(QString());
    scripted.cndSend_Click();
    EXPECT_EQ(scripted.answers.size(), 2);
}

TEST_F(frmDialerTest, TheRecordedCallSetsItsFlagsEvenWhenTheSecondQuestionFails)
{
    ScriptedDialer dialer;
    dialer.answers = {true, false};
    g_bCallOutPending = true;
    g_lCallSeconds = 12;
    dialer.SetNumber(u"5550100"_s);
    dialer.cmdRecCall_Click();
    EXPECT_TRUE(dialer.answers.isEmpty());
    EXPECT_FALSE(g_bCallOutPending);
    EXPECT_TRUE(g_bCallOutRecPending);
    EXPECT_EQ(g_lCallSeconds, 0);
    EXPECT_EQ(numbers(), QByteArray("5550100\r\n"));

    // With the service there the green square sends the recorded dial.
    frmDialer real;
    ChannelListener listener(env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    real.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&real));
    QTest::mouseClick(real.Picture1, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(listener.waitForLines(1).value(0), QByteArray("308 CallOutRec\\r\\n5550100"));
}

TEST_F(frmDialerTest, ControlCharactersNeverReachTheBox)
{
    frmDialer dialer;
    dialer.cmbCallNumber->lineEdit()->insert(u"12\r\n34"_s);
    EXPECT_EQ(dialer.NumberText(), QString());
    dialer.cmbCallNumber->lineEdit()->insert(u"12"_s);
    dialer.cmbCallNumber->lineEdit()->insert(QString(QChar(20)));
    dialer.cmbCallNumber->lineEdit()->insert(u"3"_s);
    EXPECT_EQ(dialer.NumberText(), u"123"_s);
    dialer.SetNumber(u"55\r\n5\x14"
                     "6"_s);
    EXPECT_EQ(dialer.NumberText(), u"5556"_s);
    EXPECT_EQ(dial(dialer, u"1\n2"_s), QByteArray("308 CallOut\\r\\n12"));
    EXPECT_EQ(numbers(), QByteArray("12\r\n"));
}

TEST_F(frmDialerTest, TheCounterShowsHoursMinutesAndSeconds)
{
    frmDialer dialer;
    for (int tick = 0; tick < 3725; ++tick)
        dialer.Timer1_Timer();
    EXPECT_EQ(g_lCallSeconds, 3725);
    EXPECT_EQ(dialer.PanelText(), entry(368) + u" 1:02:05"_s);
}

TEST_F(frmDialerTest, TheHubDrivesTheLoadedDialerUntilItCloses)
{
    ScriptedDialogs dialogs;
    EXPECT_EQ(LoadedDialer(), nullptr);
    auto dialer = std::make_unique<frmDialer>();
    ASSERT_EQ(LoadedDialer(), dialer.get());
    EXPECT_TRUE(IsFormLoaded(u"frmDialer"_s));
    dialer->SetNumber(u"5551234"_s);
    LoadedDialer()->DisableDialButtons();
    LoadedDialer()->SetStatusText(entry(366) + u' ' + LoadedDialer()->NumberText());
    EXPECT_FALSE(dialer->cndSend->isEnabled());
    EXPECT_FALSE(dialer->cmdRecCall->isEnabled());
    EXPECT_TRUE(dialer->cmdEnd->isEnabled());
    EXPECT_TRUE(dialer->Picture1->isEnabled());
    EXPECT_EQ(dialer->PanelText(), u"#366 5551234"_s);
    LoadedDialer()->CallReady();
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialogs.messageRequests[0].text, entry(370));
    EXPECT_FALSE(dialogs.messageRequests[0].yesNo);
    LoadedDialer()->StartSecondsCounter();
    EXPECT_TRUE(dialer->Timer1.isActive());
    dialer->show();
    dialer->close();
    EXPECT_EQ(LoadedDialer(), nullptr);
    EXPECT_FALSE(dialer->Timer1.isActive());
    dialer.reset();
    EXPECT_FALSE(IsFormLoaded(u"frmDialer"_s));
}

TEST_F(frmDialerTest, Screenshot)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    writeNumbers("5551234\r\n5559876\r\n");
    frmDialer dialer;
    dialer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialer));
    EXPECT_TRUE(WidgetShots::save(&dialer, u"dialer.png"_s));
}
