#pragma once

#include <QDate>
#include <QString>

// Where the shared data files lie below the program folder. Stored and sent
// paths keep the backslash form ("\Data\Log\2026\12\10\"); a file is touched
// only through native().
namespace DataPaths {

// "\Data\Contactes"
QString contactFile();
// "\Data\Last"
QString lastList();
// The day folder of a date: "\Data\Log\" yyyy "\" MM "\" dd "\".
QString dayFolderOf(const QDate& date);
// The day file "Data" in a day folder given in the stored form.
QString dayFile(const QString& dayFolder);

// The native path below the program folder of a stored relative path; empty
// for a path that is not relative to the program folder or climbs out of it
// (a "..", a drive, an empty part), so a stored or received text can never
// name a file elsewhere.
// Stand-in for the shared stored-path helper of common/; point it there.
QString native(const QString& storedPath);

} // namespace DataPaths
