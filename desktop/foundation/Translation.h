#pragma once

#include <QString>
#include <QStringList>

// The desktop's text table: every caption, tooltip and message by number.
// Loaded once at start-up, before any window, from <program folder>/Trans/ and
// the file named by Language\Select (TranslationFile::pathFor).

// Entry n (0 to 5000): line n of the file for 1 to 1000; empty otherwise and
// for lines the file did not give.
QString g_sTrans(int entry);

// The loaded translation reads right to left: line 10 was exactly "RTL" in a
// complete load. Windows mirror their layout while it is set.
bool g_bRTL();

// Loads lines 1 to 1000 into the table and sets the direction. 0, or the file
// error that ended the load (TranslationFile::Error); the lines read until then
// stay, the direction is left as it was.
qint32 LoadTranslation(const QString& path);

// Back to the empty table read left to right (tests).
void ResetTranslation();

// The translation editor's folder: <program folder>/Trans/.
QString g_sTransPath();

// The translation editor's buffer: lines 1 to 1000 of the translation being
// edited, header lines and headings included, and the file they came from.
// The editor fills it with load() when it loads its grid, so a save can tell
// whose lines it holds.
class TranslationEditBuffer {
public:
    // Fills every entry from the file <g_sTransPath()>/fileName; the result as
    // LoadTranslation's. A file that is missing or short still makes the buffer
    // that file's (the save writes what was read plus the edits); one that
    // cannot be read leaves it belonging to no file, so nothing is saved over it.
    qint32 load(const QString& fileName);

    QString entry(int code) const; // code 1 to 1000
    void setEntry(int code, const QString& text);
    QString fileName() const { return m_fileName; }
    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines = QStringList(1000);
    QString m_fileName;
};

TranslationEditBuffer& g_sTransEdit();

// Writes the edit buffer as the target translation (the name the editor's
// target list shows): all 1000 lines through a temporary file and a rename, so
// a failed save leaves the old file whole. False, with nothing written, when
// the name is not a plain file name, when the buffer holds the lines of
// another file (they would replace this one), or when the write failed.
bool SaveTranslationFile(const QString& targetName);
