#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How a text on a channel is laid out. Most messages are lines joined by CR LF
// (no CR LF after the last), line 0 the name; the mail requests ("SendMail",
// "SENDMAIL") join their fields with the character 20 instead. Booleans are
// "True"/"False", whole numbers plain decimal.
namespace ChannelLayout {

inline constexpr QChar MailSeparator = QChar(0x14);
inline constexpr QStringView LineBreak = u"\r\n";

// The most of one received message, or of one line of it, that a program
// looks at: the rest is dropped before anything is laid out.
inline constexpr int MaxReceivedBytes = 64 * 1024;
// The message cut to MaxReceivedBytes at a character boundary.
QString boundedMessage(const QString& text);
// The lines of a received message (splitLines), each cut to MaxReceivedBytes,
// so a caller ID with an overlong name still has all its fields.
QStringList splitBoundedLines(const QString& text);

QString boolText(bool value);
// "True" or "False" in any letter case; anything else is not a Boolean.
std::optional<bool> parseBool(QStringView text);
// Decimal digits with an optional sign, blanks around allowed; 32 bits.
std::optional<qint32> parseNumber(QStringView text);

// A caller or contact name with a line break in it would shift every later
// line for the receiver: CR and LF inside a field become blanks.
QString lineField(QString text);
// The same for a mail request's fields: the character 20 becomes a blank.
QString mailField(QString text);

// Joins the lines with CR LF, each cleaned with lineField.
QString joinLines(const QStringList& lines);
// Splits at every CR LF; empty lines are kept, nothing is trimmed.
QStringList splitLines(const QString& text);
// Joins the fields with the character 20, each cleaned with mailField (a body
// keeps its CR LF).
QString joinMailFields(const QStringList& fields);
QStringList splitMailFields(const QString& text);

} // namespace ChannelLayout

// A received text in line layout, read by position. A line that is not there
// reads as nothing, so a short or malformed message never crashes a receiver.
class LineMessage {
public:
    explicit LineMessage(const QString& text);

    // Line 0; empty for an empty text.
    QString name() const { return m_lines.value(0); }
    qsizetype lineCount() const { return m_lines.size(); }
    std::optional<QString> line(qsizetype index) const;
    std::optional<qint32> number(qsizetype index) const;
    std::optional<bool> boolean(qsizetype index) const;

private:
    QStringList m_lines;
};
