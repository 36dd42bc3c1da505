#include "platform/MailMessage.h"
#include "tests/support/QtPrinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QDateTime When(QDate(2026, 12, 10), QTime(16, 2, 40), Qt::UTC);

QByteArray compose(const MailContent& mail)
{
    return ComposeMailMessage(mail, When, "<1.2@example.com>");
}

MailContent sample()
{
    return {QStringLiteral("ringvale@example.com"), QStringLiteral("Ringvale 1.1"),
        QStringLiteral("ann@example.com"), QStringLiteral("Call from Ann"), QStringLiteral("Hello")};
}

QByteArray headOf(const QByteArray& message)
{
    return message.left(message.indexOf("\r\n\r\n") + 2);
}

// The text of a head field's encoded words, joined.
QString decodedWords(const QByteArray& value)
{
    static const QRegularExpression word(QStringLiteral(R"(=\?UTF-8\?B\?([A-Za-z0-9+/=]*)\?=)"));
    QByteArray bytes;
    for (const QRegularExpressionMatch& m : word.globalMatch(QString::fromLatin1(value)))
        bytes += QByteArray::fromBase64(m.captured(1).toLatin1());
    return QString::fromUtf8(bytes);
}

QByteArray field(const QByteArray& message, const QByteArray& name)
{
    const QByteArray head = headOf(message);
    const QByteArray opening = "\r\n" + name + ": ";
    const qsizetype start = head.indexOf(opening) + opening.size();
    qsizetype end = head.indexOf("\r\n", start);
    while (head.mid(end + 2, 1) == " ")
        end = head.indexOf("\r\n", end + 2);
    return head.mid(start, end - start);
}

TEST(MailMessageTest, HeadHoldsSenderRecipientSubjectDateAndId)
{
    const QByteArray message = compose(sample());
    EXPECT_TRUE(message.startsWith("Date: 10 Dec 2026 16:02:40 +0000\r\n")) << message.constData();
    const QByteArray head = headOf(message);
    EXPECT_TRUE(head.contains("\r\nFrom: \"Ringvale 1.1\" <ringvale@example.com>\r\n"));
    EXPECT_TRUE(head.contains("\r\nTo: <ann@example.com>\r\n"));
    EXPECT_TRUE(head.contains("\r\nSubject: Call from Ann\r\n"));
    EXPECT_TRUE(head.contains("\r\nMessage-ID: <1.2@example.com>\r\n"));
    EXPECT_TRUE(head.contains("\r\nContent-Type: text/plain; charset=UTF-8\r\n"));
}

TEST(MailMessageTest, BodyIsUtf8WithEveryLineBreakAsCrLf)
{
    MailContent mail = sample();
    mail.body = QStringLiteral("\xc5\x81ukasz\nline two\r\n.\rend");
    const QByteArray message = compose(mail);
    const QByteArray body = message.mid(message.indexOf("\r\n\r\n") + 4);
    for (const QByteArray& line : body.split('\n'))
        EXPECT_LE(line.size(), 78);
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(body)),
        QStringLiteral("\xc5\x81ukasz\r\nline two\r\n.\r\nend"));
}

struct SubjectCase {
    const char* name;
    QString subject;
    bool plain; // written as it stands
};

class MailSubjectTest : public ::testing::TestWithParam<SubjectCase> { };

TEST_P(MailSubjectTest, ComesBackWholeFromTheHead)
{
    MailContent mail = sample();
    mail.subject = GetParam().subject;
    const QByteArray message = compose(mail);
    const QByteArray value = field(message, "Subject");
    if (GetParam().plain) {
        EXPECT_EQ(QString::fromLatin1(value), GetParam().subject);
    } else {
        EXPECT_EQ(decodedWords(value), GetParam().subject);
        for (const QByteArray& line : headOf(message).split('\n'))
            EXPECT_LE(line.size(), 78) << line.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(Subjects, MailSubjectTest,
    ::testing::Values(SubjectCase{"ascii", QStringLiteral("In Coming Call from Ann Lee"), true},
        // A reader would drop the blank the spelled-out number ends in.
        SubjectCase{"trailing_blank", QStringLiteral("Ann Lee - 5 5 5 1 2 3 4 "), false},
        SubjectCase{
            "utf8_name", QStringLiteral("Call from \xc5\x81ukasz \xc5\xbb\xc3\xb3\xc5\x82\xc4\x87"), false},
        // Long enough to need several words; four-byte characters must not be cut.
        SubjectCase{"long_with_emoji",
            QString::fromUtf8(QByteArray("Call from ").append(QByteArray("\xf0\x9f\x93\x9e ").repeated(30))),
            false},
        SubjectCase{"looks_encoded", QStringLiteral("=?UTF-8?B?eA==?="), false}),
    [](const ::testing::TestParamInfo<SubjectCase>& info) { return std::string(info.param.name); });

TEST(MailMessageTest, LineBreaksInHeadFieldsCannotAddHeaderLines)
{
    MailContent mail = sample();
    mail.subject = QStringLiteral("Call\r\nBcc: eve@example.com");
    mail.fromName = QStringLiteral("Ringvale\nBcc: eve@example.com");
    mail.to = QStringLiteral("ann@example.com\r\n");
    const QByteArray head = headOf(compose(mail));
    EXPECT_FALSE(head.contains("\nBcc")) << head.constData();
    EXPECT_TRUE(head.contains("\r\nTo: <ann@example.com>\r\n"));
    EXPECT_EQ(field(compose(mail), "Subject"), QByteArray("Call  Bcc: eve@example.com"));
}

TEST(MailMessageTest, QuotesInTheSenderNameAreEscaped)
{
    MailContent mail = sample();
    mail.fromName = QStringLiteral("Ann \"the\" \\ Lee");
    EXPECT_TRUE(
        headOf(compose(mail)).contains("\r\nFrom: \"Ann \\\"the\\\" \\\\ Lee\" <ringvale@example.com>\r\n"));
}

TEST(MailMessageTest, MessageIdsAreUniqueInTheSendersDomain)
{
    const QByteArray first = NewMessageId(QStringLiteral("ringvale@mail.example.com"));
    EXPECT_TRUE(first.startsWith('<') && first.endsWith("@mail.example.com>")) << first.constData();
    EXPECT_NE(first, NewMessageId(QStringLiteral("ringvale@mail.example.com")));
    EXPECT_TRUE(NewMessageId(QString()).endsWith("@localhost>"));
    EXPECT_TRUE(NewMessageId(QStringLiteral("x@bad domain>")).endsWith("@localhost>"));
}

} // namespace
