#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// What tests/helpers/args-recorder wrote about how it was started.
struct RecordedLaunch {
    QStringList arguments;
    QMap<QString, QString> environment;
    qint64 pid = 0;
    qint64 sid = 0;
    QString standardInput;
    QString standardOutput;
    QList<int> descriptors;
};

// Nothing while the file is not there (yet).
std::optional<RecordedLaunch> readRecordedLaunch(const QString& path);

// The recorder program, for the launcher to start.
QString argsRecorderPath();
