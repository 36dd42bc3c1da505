#include "common/ChannelMessages.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace ChannelMessages;
using namespace Qt::StringLiterals;

namespace {

CallerIdFields contactCaller()
{
    return {QStringLiteral("Ann Smith"), QStringLiteral("5551234"), QStringLiteral("  Ann "),
        QStringLiteral("ann.jpg "), true, 1, false};
}

struct LayoutCase {
    const char* what;
    QString text;
    QByteArray bytes;
};

} // namespace

TEST(ChannelMessages_Layout, EveryMessageHasItsExactBytes)
{
    const CallerIdFields unknown{QStringLiteral("UNKNOWN"), QStringLiteral("5551234"), {}, {}, true, 0, true};
    const CallerIdFields polish{
        QString::fromUtf8("Łukasz Żółć"), QStringLiteral("+48 22 1234"), {}, {}, false, 0, false};
    const LayoutCase cases[] = {
        {"incoming", tapiIncomming(0, false), "Tapi_Incomming\r\n0\r\nFalse"},
        {"modem incoming", commIncomming(1, true), "Comm_Incomming\r\n1\r\nTrue"},
        {"third ring", tapiRing(0, 3, false), "Tapi_Ring\r\n0\r\n3\r\nFalse"},
        {"caller ID, contact trimmed", tapiCid(0, contactCaller()),
            "Tapi_CID\r\n0\r\nAnn Smith\r\n5551234\r\nAnn\r\nann.jpg\r\nTrue\r\n1\r\nFalse"},
        // No contact: lines 4 and 5 are empty, so two CR LF pairs meet.
        {"caller ID, no contact", tapiCid(0, unknown),
            "Tapi_CID\r\n0\r\nUNKNOWN\r\n5551234\r\n\r\n\r\nTrue\r\n0\r\nTrue"},
        {"modem caller ID in UTF-8", commCid(2, polish),
            "Comm_CID\r\n2\r\n\xc5\x81ukasz \xc5\xbb\xc3\xb3\xc5\x82\xc4\x87\r\n+48 22 1234\r\n\r\n\r\n"
            "False\r\n0\r\nFalse"},
        {"dialing", tapiDialing(0), "Tapi_Dialing\r\n0"},
        {"connected", tapiConnected(0), "Tapi_Connected\r\n0"},
        {"disconnected", tapiDisconnected(0), "Tapi_Disconnected\r\n0"},
        {"idle, padded call type", tapiIdle(0, QStringLiteral("0 ")), "Tapi_Idle\r\n0\r\n0"},
        {"modem idle", commIdle(0, QStringLiteral("4")), "Comm_Idle\r\n0\r\n4"},
        {"open line in auto mode", lineStatus(0, 0, true), "LineStatus\r\n0\r\n0\r\nTrue"},
        {"negative line index", lineStatus(-1, 1, false), "LineStatus\r\n-1\r\n1\r\nFalse"},
        {"mail progress", mailProgress(0, QStringLiteral("Sending mail 45 %")),
            "MAIL\r\n0\r\nSending mail 45 %"},
        {"mail request, body keeps CR LF",
            sendMail(QStringLiteral("a@b.example"), QStringLiteral("Call from Ann"),
                QStringLiteral("Line 1\r\nLine 2")),
            "SendMail\x14"
            "a@b.example\x14"
            "Call from Ann\x14"
            "Line 1\r\nLine 2\x14"
            "NOFILE"},
        {"unload", command(MessageName::Unload), "UNLOAD"},
        {"sound index", command(MessageName::GetSoundIndex), "GETSOUNDINDEX"},
        {"open web", command(MessageName::OpenWeb), "OPEN_WEB"},
        {"close web", command(MessageName::CloseWeb), "CLOSE_WEB"},
        {"speech test", testTtsSay(QStringLiteral("Hello there"), 2, -3),
            "TestTTSSay\r\nHello there\r\n2\r\n-3"},
        {"say", say(QStringLiteral("Hi")), "Say\r\nHi"},
        {"stop saying", command(MessageName::StopSay), "StopSay"},
        {"make wave", makeWave(QStringLiteral("Hi"), QStringLiteral("/tmp/hi.wav")),
            "MakeWave\r\nHi\r\n/tmp/hi.wav"},
        {"line on", command(MessageName::On), "ON"},
        {"line off", command(MessageName::Off), "OFF"},
        {"auto mode", autoMode(QStringLiteral("16:00:00"), QStringLiteral("08:00:00")),
            "AUTO\r\n16:00:00\r\n08:00:00"},
        {"hello", command(MessageName::Hello), "HELLO"},
        {"speech settings", command(MessageName::GetTTSProp), "GetTTSProp"},
        {"call out", callOut(QStringLiteral("5551234")), "CallOut\r\n5551234"},
        {"call out recorded", callOutRec(QStringLiteral("5551234")), "CallOutRec\r\n5551234"},
        {"drop call", command(MessageName::DropCall), "DropCall"},
        {"stop", command(MessageName::StopProc), "StopProc"},
        {"record flag", recCall(true), "RecCall\r\nTrue"},
        {"reject", command(MessageName::DropTheCall), "DropTheCall"},
        {"do nothing", command(MessageName::DoNothing), "DoNothing"},
        {"second desktop", command(MessageName::UnLoadMe), "UnLoad_Me"},
        {"Postrun mail, no attachment",
            postrunSendMail(QStringLiteral("a@b.example"), QStringLiteral("S"), QStringLiteral("B"), {}),
            "SENDMAIL\x14"
            "a@b.example\x14"
            "S\x14"
            "B\x14"
            "NOFILE"},
        {"Postrun mail with attachment",
            postrunSendMail(QStringLiteral("a@b.example"), QStringLiteral("S"), QStringLiteral("B"),
                QStringLiteral("/tmp/a.wav")),
            "SENDMAIL\x14"
            "a@b.example\x14"
            "S\x14"
            "B\x14"
            "/tmp/a.wav"},
        // Recipient and subject become head lines of a mail at the far end.
        {"mail request, line breaks in recipient and subject",
            sendMail(QStringLiteral("a@b.example\r\nBcc: e@x"), QStringLiteral("Call\r\nBcc: e@x\n"),
                QStringLiteral("L1\r\n.\r\nL3")),
            "SendMail\x14"
            "a@b.example  Bcc: e@x\x14"
            "Call  Bcc: e@x \x14"
            "L1\r\n.\r\nL3\x14"
            "NOFILE"},
        {"Postrun mail, line breaks in recipient and subject",
            postrunSendMail(
                QStringLiteral("a@b.example\n"), QStringLiteral("S\rT"), QStringLiteral("B\r\nC"), {}),
            "SENDMAIL\x14"
            "a@b.example \x14"
            "S T\x14"
            "B\r\nC\x14"
            "NOFILE"},
        {"Postrun unload", command(MessageName::Unload), "UNLOAD"},
        {"Postrun done", command(MessageName::DoneSendMail), "DONE_SEND_MAIL"},
    };
    for (const LayoutCase& c : cases)
        EXPECT_EQ(c.text.toUtf8(), c.bytes) << c.what;
}

// A line break inside a name would shift every later line for the receiver.
TEST(ChannelMessages_Layout, LineBreaksInsideFieldsBecomeBlanks)
{
    CallerIdFields fields = contactCaller();
    fields.callerName = QStringLiteral("Ann\r\nSmith");
    fields.contactName = QStringLiteral("Ann\nS");
    fields.pictureFile = QStringLiteral("ann\r.jpg");
    const QString text = tapiCid(0, fields);
    EXPECT_EQ(text.toUtf8(),
        QByteArray("Tapi_CID\r\n0\r\nAnn  Smith\r\n5551234\r\nAnn S\r\nann .jpg\r\n"
                   "True\r\n1\r\nFalse"));
    const std::optional<CallerIdEvent> parsed = parseCallerId(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->callerNumber, u"5551234");
    EXPECT_EQ(parsed->displayStyle, u"1");

    EXPECT_EQ(callOut(QStringLiteral("555\r\nON")), u"CallOut\r\n555  ON");
    EXPECT_EQ(say(QStringLiteral("a\x14"
                                 "b")),
        u"Say\r\na\x14"
        "b");
}

TEST(ChannelMessages_Layout, SeparatorInsideMailFieldsBecomesBlank)
{
    const QString text = sendMail(QStringLiteral("a@b.example\x14x"),
        QStringLiteral("Call\x14"
                       "from"),
        QStringLiteral("Body\r\nwith\x14"
                       "sep"));
    EXPECT_EQ(text.toUtf8(),
        QByteArray("SendMail\x14"
                   "a@b.example x\x14"
                   "Call from\x14"
                   "Body\r\nwith sep\x14"
                   "NOFILE"));
    const std::optional<MailRequest> mail = parseSendMail(text);
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->subject, u"Call from");
    EXPECT_EQ(mail->body, u"Body\r\nwith sep");
    EXPECT_EQ(mail->attachment, u"NOFILE");
}

TEST(ChannelMessages_Receive, ProcessControlComparesTheWholeText)
{
    const struct {
        const char* text;
        std::optional<ProcCommand> expected;
    } cases[] = {
        {"UNLOAD", ProcCommand::Unload},
        {"GETSOUNDINDEX", ProcCommand::GetSoundIndex},
        {"OPEN_WEB", ProcCommand::OpenWeb},
        {"CLOSE_WEB", ProcCommand::CloseWeb},
        {"OFF", ProcCommand::Off},
        {"UNLOAD\r\n", std::nullopt},
        {"unload", std::nullopt},
        {" UNLOAD", std::nullopt},
        {"", std::nullopt},
        {"HELLO", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseProcCommand(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(ChannelMessages_Receive, LineCommandsCompareTheFirstLine)
{
    using Kind = LineCommand::Kind;
    const struct {
        const char* text;
        std::optional<Kind> kind;
        const char* field; // time on, number or flag as text
    } cases[] = {
        {"ON", Kind::On, ""},
        {"ON\r\n", Kind::On, ""},
        {"ON\r\nmore\r\nlines", Kind::On, ""},
        {"on", std::nullopt, ""},
        {"OFF", Kind::Off, ""},
        {"HELLO", Kind::Hello, ""},
        {"GetTTSProp", Kind::GetTTSProp, ""},
        {"DropCall", Kind::DropCall, ""},
        {"StopProc", Kind::StopProc, ""},
        {"DropTheCall", Kind::DropTheCall, ""},
        {"DoNothing", Kind::DoNothing, ""},
        {"AUTO\r\n16:00:00\r\n08:00:00", Kind::Auto, "16:00:00"},
        {"AUTO\r\n16:00:00", std::nullopt, ""},
        {"AUTO", std::nullopt, ""},
        {"CallOut\r\n5551234", Kind::CallOut, "5551234"},
        {"CallOutRec\r\n5551234\r\n", Kind::CallOutRec, "5551234"},
        {"CallOut", std::nullopt, ""},
        {"RecCall\r\nTrue", Kind::RecCall, "True"},
        {"RecCall\r\nfalse", Kind::RecCall, "False"},
        {"RecCall\r\nyes", std::nullopt, ""},
        {"RecCall", std::nullopt, ""},
        {"UNLOAD", std::nullopt, ""},
        {"", std::nullopt, ""},
        {"\r\n\r\n", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const std::optional<LineCommand> command = parseLineCommand(QString::fromUtf8(c.text));
        ASSERT_EQ(command.has_value(), c.kind.has_value()) << c.text;
        if (!command)
            continue;
        EXPECT_EQ(command->kind, *c.kind) << c.text;
        const QString field = QString::fromUtf8(c.field);
        if (command->kind == Kind::Auto) {
            EXPECT_EQ(command->timeOn, field);
            EXPECT_EQ(command->timeOff, u"08:00:00");
        } else if (command->kind == Kind::CallOut || command->kind == Kind::CallOutRec) {
            EXPECT_EQ(command->dialNumber, field);
        } else if (command->kind == Kind::RecCall) {
            EXPECT_EQ(ChannelLayout::boolText(command->recordCallFlag), field);
        }
    }
}

TEST(ChannelMessages_Receive, SpeechCommandsNeedTheirFields)
{
    using Kind = TtsCommand::Kind;
    const struct {
        const char* text;
        std::optional<Kind> kind;
    } cases[] = {
        {"TestTTSSay\r\nHi\r\n2\r\n-3", Kind::TestTTSSay},
        {"TestTTSSay\r\nHi\r\nvoice\r\n1", std::nullopt},
        {"TestTTSSay\r\nHi\r\n2", std::nullopt},
        {"Say\r\nHi", Kind::Say},
        {"Say\r\n", Kind::Say}, // an empty text: nothing audible
        {"Say", std::nullopt},
        {"StopSay", Kind::StopSay},
        {"StopSay\r\n", Kind::StopSay},
        {"MakeWave\r\nHi\r\n/tmp/hi.wav", Kind::MakeWave},
        {"MakeWave\r\nHi", std::nullopt},
        {"say\r\nHi", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<TtsCommand> command = parseTtsCommand(QString::fromUtf8(c.text));
        ASSERT_EQ(command.has_value(), c.kind.has_value()) << c.text;
        if (command) {
            EXPECT_EQ(command->kind, *c.kind) << c.text;
        }
    }
    const std::optional<TtsCommand> test = parseTtsCommand(testTtsSay(QStringLiteral("Hi"), 2, -3));
    ASSERT_TRUE(test);
    EXPECT_EQ(test->textToSay, u"Hi");
    EXPECT_EQ(test->voiceIndex, 2);
    EXPECT_EQ(test->rate, -3);
    const std::optional<TtsCommand> wave
        = parseTtsCommand(makeWave(QStringLiteral("Hi"), QStringLiteral("/w.wav")));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->waveFile, u"/w.wav");
}

TEST(ChannelMessages_Receive, CallerIdNeedsNineLines)
{
    const QString full = tapiCid(0, contactCaller());
    const std::optional<CallerIdEvent> event = parseCallerId(full);
    ASSERT_TRUE(event);
    EXPECT_FALSE(event->fromModem);
    EXPECT_EQ(event->callerName, u"Ann Smith");
    EXPECT_EQ(event->contactName, u"Ann");
    EXPECT_EQ(event->pictureFile, u"ann.jpg");
    EXPECT_EQ(event->showCallDetails, u"True");
    EXPECT_EQ(event->showLineControl, u"False");

    const std::optional<CallerIdEvent> modem = parseCallerId(commCid(0, contactCaller()) + u"\r\nextra");
    ASSERT_TRUE(modem);
    EXPECT_TRUE(modem->fromModem);

    EXPECT_FALSE(parseCallerId(full.left(full.lastIndexOf(u"\r\n"))));
    EXPECT_FALSE(parseCallerId(QString(full).replace(u"Tapi_CID"_s, u"Tapi_Cid"_s)));
}

TEST(ChannelMessages_Receive, LineStatusNeedsANumberAndABoolean)
{
    const std::optional<LineStatusEvent> status = parseLineStatus(lineStatus(0, 1, true));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->lineState, 1);
    EXPECT_TRUE(status->autoMode);
    for (const char* text : {"LineStatus\r\n0\r\n1", "LineStatus\r\n0\r\nx\r\nTrue",
             "LineStatus\r\n0\r\n1\r\nMaybe", "LineStatus", "Linestatus\r\n0\r\n1\r\nTrue"})
        EXPECT_FALSE(parseLineStatus(QString::fromUtf8(text))) << text;
}

TEST(ChannelMessages_Receive, MailRequestsNeedFivePieces)
{
    const QString sep(ChannelLayout::MailSeparator);
    const QString four = u"SendMail"_s + sep + u"to"_s + sep + u"subject"_s + sep + u"body"_s;
    EXPECT_FALSE(parseSendMail(four));
    EXPECT_FALSE(parseSendMail(QString()));
    const std::optional<MailRequest> six = parseSendMail(four + sep + u"NOFILE"_s + sep + u"more"_s);
    ASSERT_TRUE(six);
    EXPECT_EQ(six->mailTo, u"to");
    EXPECT_EQ(six->attachment, u"NOFILE");
    // Each channel has its own name for the request.
    EXPECT_FALSE(parsePostrunSendMail(sendMail(u"to"_s, u"s"_s, u"b"_s)));
    const std::optional<MailRequest> postrun
        = parsePostrunSendMail(postrunSendMail(u"to"_s, u"s"_s, u"b"_s, u"/a.wav"_s));
    ASSERT_TRUE(postrun);
    EXPECT_EQ(postrun->attachment, u"/a.wav");
}

TEST(ChannelMessages_Receive, DoneSendMailComparesTheFirstLine)
{
    EXPECT_TRUE(isDoneSendMail(u"DONE_SEND_MAIL"_s));
    EXPECT_TRUE(isDoneSendMail(u"DONE_SEND_MAIL\r\nwhatever follows"_s));
    EXPECT_FALSE(isDoneSendMail(u"done_send_mail"_s));
    EXPECT_FALSE(isDoneSendMail(u"DONE_SEND_MAIL "_s));
    EXPECT_FALSE(isDoneSendMail(QString()));
}

TEST(ChannelMessages_Receive, LineMessageReadsMissingLinesAsNothing)
{
    const LineMessage message(u"Tapi_Ring\r\n0\r\n 3 \r\nTRUE\r\n3x"_s);
    EXPECT_EQ(message.name(), u"Tapi_Ring");
    EXPECT_EQ(message.number(2), 3);
    EXPECT_EQ(message.boolean(3), true);
    EXPECT_FALSE(message.number(4));
    EXPECT_FALSE(message.line(5));
    EXPECT_FALSE(message.line(-1));
    EXPECT_FALSE(message.number(99));
    EXPECT_FALSE(LineMessage(u"x\r\n99999999999"_s).number(1));
    EXPECT_EQ(LineMessage(QString()).name(), QString());
}

// Every cut of every message, and a few odd texts, go through every parser.
TEST(ChannelMessages_Receive, TruncatedAndOddTextsNeverCrash)
{
    QStringList texts = {tapiCid(0, contactCaller()), testTtsSay(u"Hi"_s, 1, 2), autoMode(u"1"_s, u"2"_s),
        lineStatus(0, 0, true), sendMail(u"a"_s, u"b"_s, u"c\r\nd"_s), recCall(true),
        makeWave(u"a"_s, u"b"_s)};
    const QStringList odd = {u"\r"_s, u"\n"_s, u"\r\r\n\n"_s, QString(1, QChar(0)), QString(1, QChar(0x14)),
        QString(5, QChar(0x14)), u"\xFFFD\r\n\x14"_s};
    int cuts = 0;
    for (const QString& text : texts) {
        for (qsizetype n = 0; n <= text.size(); ++n) {
            const QString cut = text.left(n);
            parseProcCommand(cut);
            parseTtsCommand(cut);
            parseLineCommand(cut);
            parseCallerId(cut);
            parseLineStatus(cut);
            parseSendMail(cut);
            parsePostrunSendMail(cut);
            isDoneSendMail(cut);
            ++cuts;
        }
    }
    for (const QString& text : odd) {
        EXPECT_FALSE(parseLineCommand(text));
        EXPECT_FALSE(parseTtsCommand(text));
        EXPECT_FALSE(parseSendMail(text));
        EXPECT_FALSE(parseCallerId(text));
    }
    EXPECT_GT(cuts, 100);
}

// An overlong field is cut where it stands; the fields after it stay.
TEST(ChannelMessages_Receive, BoundedLinesCutEachLineAndKeepEveryField)
{
    const QString longName = QStringLiteral("Ann ") + QString(1024 * 1024, QChar(0xe9));
    const QStringList lines = ChannelLayout::splitBoundedLines(QStringLiteral("Tapi_CID\r\n0\r\n") + longName
        + QStringLiteral("\r\n5551234\r\n\r\n\r\nTrue\r\n0\r\nFalse"));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.at(2),
        QStringLiteral("Ann ") + QString((ChannelLayout::MaxReceivedBytes - 4) / 2, QChar(0xe9)));
    EXPECT_EQ(lines.at(3), QStringLiteral("5551234"));
    EXPECT_EQ(lines.at(8), QStringLiteral("False"));
    EXPECT_EQ(ChannelLayout::boundedMessage(longName).toUtf8().size(), ChannelLayout::MaxReceivedBytes);
}
