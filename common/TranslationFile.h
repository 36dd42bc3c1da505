#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The translation file both programs read: UTF-8 text in <program folder>/Trans/,
// exactly 1000 lines ended by CR LF (readers also take LF), line n holding
// text n. Line 1 "1" marks a user translation, line 10 "RTL" a right-to-left
// language; a line beginning with '' heads a category of the editor.
namespace TranslationFile {

inline constexpr int kLineCount = 1000;
inline constexpr int kUserMarkLine = 1;
inline constexpr int kDirectionLine = 10;
inline const QString kUserMark = QStringLiteral("1");
inline const QString kRightToLeft = QStringLiteral("RTL");
inline const QString kLeftToRight = QStringLiteral("LTR");

// Results of a read: 0, or the number of the file error that ended it.
enum Error : qint32 {
    NoError = 0,
    FileNotFound = 53,
    InputPastEnd = 62, // fewer lines than asked for
    FileAccess = 75, // cannot be read, or too large to be a translation
};

struct ReadResult {
    QStringList lines; // the lines read, up to the count asked for
    qint32 error = NoError;
};

// Lines 1 to count of the file at a native path. A short file gives the lines
// it has and InputPastEnd; lines after count are not looked at.
ReadResult readLines(const QString& path, int count);

// The file's bytes for the given lines: exactly kLineCount lines, each ended by
// CR LF; missing lines are empty, later ones dropped. A line break inside a
// text would shift every following line, so CR and LF become a blank.
QByteArray encode(const QStringList& lines);

// Replaces the file with encode(lines) through a temporary file and a rename:
// on failure the old file stays whole. False on any failure.
bool write(const QString& path, const QStringList& lines);

// The lines of a new user translation: "1", the direction marker on line 10,
// and empty lines elsewhere.
QStringList newTranslation(bool rightToLeft);

// The native path of a translation file by name. nullopt when the name is not
// a plain file name (empty, a separator, "..", a NUL).
std::optional<QString> pathFor(const QString& fileName);

} // namespace TranslationFile
