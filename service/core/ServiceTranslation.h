#pragma once

#include <QString>

// The service's own text table: lines 1 to 20 of the translation file in use.
// Text 1 is the description stored with every incoming call, 13 that of a
// dialled call, 7 the prefix of the mail-progress text; the rest are loaded
// and not used.

// Loads the table from the file at a native path (TranslationFile::pathFor).
// 0, or the file error that ended the load; the lines read until then stay.
// Line 1 of a user translation is its mark "1", not a description: the
// English file's line 1 (beside it in the same folder) is taken instead.
qint32 LoadServiceTranslation(const QString& path);

// Text n (0 to 20); empty for anything the file did not fill.
QString ServiceTrans(int entry);
