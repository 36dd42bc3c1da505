#pragma once

#include <QString>

class QObject;

// The utilities that the service and the desktop program both have.

// Which program's rule MakeDateTimeStamp follows: the desktop turns "/" and ":"
// of the date into dashes, the service only "/" (a date holding ":" keeps it).
enum class StampRule { Desktop, Service };

// A date and a time as the programs write them, made fit for a file name:
// "12/10/2026", "09:30:05" gives "12-10-2026_09-30-05" with dashes, and
// "12102026093005" without. An empty time gives the date part alone. Other
// characters stay as they are.
QString MakeDateTimeStamp(const QString& date, const QString& time, bool dashes, StampRule rule);

// Makes sure today's day folder exists below base (a stored form such as
// "\Data\Log\", see ProgramPath): base\yyyy, then \MM, then \dd, each created
// when missing. A step that fails is skipped and the next one tried. The day's
// two digits when the day folder was already there, else empty.
QString EnsureDatedFolders(const QString& base);

// The text on one line: each CR LF, CR and LF becomes one blank. For texts
// that go into a line-per-entry file (journals, translations).
QString withoutLineBreaks(QString text);

// Text from outside (a caller's name, a web request) made safe for a line
// that people read in a terminal: every control character (C0 but tab, DEL,
// C1) becomes a blank, one for one, so no escape sequence, bell or NUL comes
// through and no field moves.
QString withoutControlCharacters(QString text);

// Cuts an existing file (native path) to length bytes, as the stores do after
// moving records down; the caller holds the file's lock. A missing file is not
// created; false when nothing was cut.
bool TruncateFile(const QString& path, qint64 length);

// "Yes" or "No".
QString YesNo(bool flag);

// Forms (hidden or shown) register themselves while loaded, under their
// objectName(); destroying a form unloads it. IsFormLoaded answers by exact,
// case-sensitive name and lets no event run.
void RegisterLoadedForm(QObject* form);
void UnregisterLoadedForm(QObject* form);
bool IsFormLoaded(const QString& name);
// The loaded form of that name, or null.
QObject* LoadedForm(const QString& name);
