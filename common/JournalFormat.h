#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

// The journals' file names and lines, for the service that appends them and
// the readers (the desktop's journal viewer, the web pages). Files live in
// <program folder>/Journal/, one per kind and day: "12-10-2026_Sys.txt".
namespace JournalFormat {

enum class Kind { Sys, Calls, WWW };

// "_Sys.txt", "_Calls.txt", "_WWW.txt".
QString suffix(Kind kind);

// The day's file name: the date stamp ("/" turned into "-") and the suffix.
QString fileName(Kind kind, const QDate& date);

// The stored form of the folder: "\Journal\".
QString folder();

// The system journal's text: source, "->", message, "(", number, ")".
QString sysText(const QString& message, qint32 number, const QString& source);

// One entry as appended: time, " : ", text, CR LF. A CR or LF inside the text
// (a caller's name, a web request, a multi-line message) becomes a blank, so
// an entry is always exactly one line and nobody can forge a journal line;
// so does every other control character (withoutControlCharacters).
QByteArray line(const QTime& time, const QString& text);

} // namespace JournalFormat
