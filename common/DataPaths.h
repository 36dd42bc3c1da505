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

// ProgramPath::toNative, empty where that refuses the path.
QString native(const QString& storedPath);

} // namespace DataPaths
