#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// ringvale-calls' commands on the recent-calls list, the call search and the
// journals: none takes a day folder.

extern const char kListUsage[];

bool isListCommand(const QString& command);

// Runs one; why is set (and the result meaningless) for bad arguments.
int runListCommand(const QStringList& args, QTextStream& out, QTextStream& err, QString& why);
