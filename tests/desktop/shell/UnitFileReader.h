#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// Reads ExecStart= and Environment= of a unit file back as systemd does:
// words split at blanks, double and single quotes removed, C escapes
// resolved, then "%%" made "%" (any other specifier is refused: our units
// use none).
struct UnitFileCommand {
    QStringList execStart; // program, then arguments
    QMap<QString, QString> environment;
};

std::optional<UnitFileCommand> ReadUnitFileCommand(const QByteArray& unitText);
