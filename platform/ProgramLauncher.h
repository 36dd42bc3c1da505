#pragma once

#include <QString>
#include <QStringList>

// Starts a program detached, without a shell, and does not wait for it.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    struct Result {
        qint32 error = 0; // the system's error number, 0 when it started
        QString text;
    };

    // windowStyle 1 shows the program's windows; 0 starts it hidden.
    [[nodiscard]] virtual Result start(
        const QString& program, const QStringList& arguments, qint32 windowStyle)
        = 0;
};
