#pragma once

#include <QString>

// How a run of a tool ended, and what it printed.
struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};
