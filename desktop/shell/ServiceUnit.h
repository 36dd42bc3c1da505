#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The systemd user unit that runs RingvaleSvc for the desktop's user.
struct ServiceUnitSettings {
    QString program; // absolute path of RingvaleSvc
    QString home; // RINGVALE_HOME
    QString registry; // RINGVALE_REGISTRY
    QString runtimeBase; // XDG_RUNTIME_DIR
};

// The unit file's text. Values are quoted as systemd reads them, so blanks,
// "%", "$" and quotes in folder names reach the service unchanged. nullopt
// when a value cannot be written: a control character anywhere, or a quote or
// backslash in the program's path (systemd refuses those in an executable).
std::optional<QByteArray> ServiceUnitText(const ServiceUnitSettings& settings);
