#include "platform/MailMessage.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

constexpr QByteArrayView CrLf = "\r\n";

bool isPlainAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

// Encoded words (RFC 2047, base64) of at most 75 characters each, cut at
// character boundaries and folded onto continuation lines.
QByteArray encodedWords(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    // 52 base64 characters, 64 with the frame: room for "Subject: " too.
    constexpr qsizetype MaxBytes = 39;
    QByteArray result;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min(start + MaxBytes, utf8.size());
        // Never end a word inside a character: step back over continuation bytes.
        while (end < utf8.size() && end > start && (quint8(utf8.at(end)) & 0xC0) == 0x80)
            --end;
        if (!result.isEmpty())
            result += "\r\n ";
        result += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return result;
}

// Unstructured text (the subject): as it stands when it is short plain ASCII
// that a reader cannot mistake for encoded words or trim, else encoded words.
QByteArray headerText(const QString& text, qsizetype room)
{
    const bool plain
        = isPlainAscii(text) && text.size() <= room && text.trimmed() == text && !text.contains(u"=?");
    return plain ? text.toLatin1() : encodedWords(text);
}

QByteArray displayName(const QString& name)
{
    if (!isPlainAscii(name) || name.trimmed() != name || name.size() > 60)
        return encodedWords(name);
    QByteArray quoted = "\"";
    for (const QChar c : name) {
        if (c == u'"' || c == u'\\')
            quoted += '\\';
        quoted += char(c.unicode());
    }
    return quoted + '"';
}

// The body with every line break as CR LF, in base64 lines of 76 characters.
QByteArray bodyBase64(const QString& body)
{
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const QByteArray encoded = text.toUtf8().toBase64();
    QByteArray lines;
    for (qsizetype i = 0; i < encoded.size(); i += 76)
        lines += encoded.mid(i, 76) + CrLf;
    return lines;
}

} // namespace

QString MailHeaderLine(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    return text;
}

QString MailAddress(const QString& text)
{
    return MailHeaderLine(text).trimmed();
}

QByteArray ComposeMailMessage(const MailContent& mail, const QDateTime& date, const QByteArray& messageId)
{
    const QString from = MailAddress(mail.fromAddress);
    const QString to = MailAddress(mail.to);
    const QString name = MailHeaderLine(mail.fromName);
    const QString subject = MailHeaderLine(mail.subject);

    QByteArray head;
    head += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + CrLf;
    head += "From: ";
    if (!name.isEmpty())
        head += displayName(name) + ' ';
    head += '<' + from.toUtf8() + '>' + CrLf;
    head += "To: <" + to.toUtf8() + '>' + CrLf;
    head += "Subject: " + headerText(subject, 78 - 9) + CrLf;
    head += "Message-ID: " + messageId + CrLf;
    head += "MIME-Version: 1.0\r\n";
    head += "Content-Type: text/plain; charset=UTF-8\r\n";
    head += "Content-Transfer-Encoding: base64\r\n";
    return head + CrLf + bodyBase64(mail.body);
}

QByteArray ComposeSendmailMessage(const QString& to, const QString& subject, const QString& body)
{
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    QByteArray head;
    head += "To: " + MailAddress(to).toUtf8() + '\n';
    // Encoded words are folded with CR LF; sendmail wants LF alone.
    head += "Subject: " + headerText(MailHeaderLine(subject), 78 - 9).replace("\r\n", "\n") + '\n';
    head += "MIME-Version: 1.0\n";
    head += "Content-Type: text/plain; charset=UTF-8\n";
    head += "Content-Transfer-Encoding: 8bit\n";
    return head + '\n' + text.toUtf8();
}

QByteArray NewMessageId(const QString& fromAddress)
{
    static const QRegularExpression domainPattern(QStringLiteral("^[A-Za-z0-9.-]+$"));
    const QString address = MailAddress(fromAddress);
    QString domain = address.mid(address.lastIndexOf(u'@') + 1);
    if (!address.contains(u'@') || !domainPattern.match(domain).hasMatch())
        domain = QStringLiteral("localhost");
    QRandomGenerator* random = QRandomGenerator::system();
    const QByteArray unique = QByteArray::number(random->generate64(), 16) + '.'
        + QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 16);
    return '<' + unique + '@' + domain.toLatin1() + '>';
}
