#pragma once

#include <QStringList>
#include <QTextStream>

// ringvale-calls: a day's calls as the desktop's main list holds them, and the
// desktop's changes to them, from the shell. Needs a QApplication.
int runCallsTool(const QStringList& args, QTextStream& out, QTextStream& err);
