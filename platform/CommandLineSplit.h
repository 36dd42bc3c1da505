#pragma once

#include <QString>
#include <QStringList>

// A command line as a person writes it, taken apart without a shell: the
// program and each of its arguments.
struct CommandLine {
    QString program;
    QStringList arguments;
};

// Pieces are separated by blanks and tabs outside double quotes. A double
// quote starts or ends a quoted stretch (blanks inside it stay in the piece;
// "" is an empty piece); three double quotes in a row stand for one literal
// double quote. Every other character, backslashes included, stands as it is.
// A quote left open ends at the end of the text.
CommandLine SplitCommandLine(const QString& text);
