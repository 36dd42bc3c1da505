#include "common/ChannelLayout.h"

#include "common/FixedRecord.h"

namespace ChannelLayout {

namespace {

QString joinCleaned(const QStringList& fields, QStringView separator, QString (*clean)(QString))
{
    QString text;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += separator;
        text += clean(fields.at(i));
    }
    return text;
}

} // namespace

QString boundedMessage(const QString& text)
{
    return FixedRecord::cutToWidth(text, MaxReceivedBytes);
}

QStringList splitBoundedLines(const QString& text)
{
    QStringList lines = splitLines(text);
    for (QString& line : lines) {
        if (line.size() > MaxReceivedBytes / 4)
            line = boundedMessage(line);
    }
    return lines;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> parseBool(QStringView text)
{
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<qint32> parseNumber(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString lineField(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

QString mailField(QString text)
{
    text.replace(MailSeparator, u' ');
    return text;
}

QString joinLines(const QStringList& lines)
{
    return joinCleaned(lines, LineBreak, lineField);
}

QStringList splitLines(const QString& text)
{
    return text.split(LineBreak.toString());
}

QString joinMailFields(const QStringList& fields)
{
    return joinCleaned(fields, QStringView(&MailSeparator, 1), mailField);
}

QStringList splitMailFields(const QString& text)
{
    return text.split(MailSeparator);
}

} // namespace ChannelLayout

LineMessage::LineMessage(const QString& text)
    : m_lines(ChannelLayout::splitLines(text))
{
}

std::optional<QString> LineMessage::line(qsizetype index) const
{
    if (index < 0 || index >= m_lines.size())
        return std::nullopt;
    return m_lines.at(index);
}

std::optional<qint32> LineMessage::number(qsizetype index) const
{
    const std::optional<QString> text = line(index);
    return text ? ChannelLayout::parseNumber(*text) : std::nullopt;
}

std::optional<bool> LineMessage::boolean(qsizetype index) const
{
    const std::optional<QString> text = line(index);
    return text ? ChannelLayout::parseBool(*text) : std::nullopt;
}
