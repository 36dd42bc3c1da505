#pragma once

#include "platform/grid/vbalGrid.h"

#include <QTextStream>

// What the commands of ringvale-calls share.

// The English table of the program folder, when it has one, so headers and
// texts read as the desktop shows them.
void loadEnglish();

// One row as a line: INDEX, CALLER, RECEIVED, DESCRIPTION, FOLDER, bold or
// normal, the images of columns 1 to 3 (- for none) and the row height,
// tab-separated; withFile adds column 7, the recording's file name.
void printRow(QTextStream& out, const vbalGrid& grid, qint32 row, bool withFile = false);
