#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// "Run on starts": an XDG autostart entry that starts the desktop hidden in
// the tray at login, $XDG_CONFIG_HOME/autostart/Ringvale.desktop. Its Exec
// is the running program and " -st", after env RINGVALE_HOME=...
// RINGVALE_REGISTRY=... when those are set, so the login start meets the
// same installation.
namespace AutostartEntry {

// Where the entry goes ($XDG_CONFIG_HOME defaults to ~/.config).
QString path();

// The entry's whole text for this program and environment; nullopt when a
// path holds a control character, which no entry can carry.
std::optional<QByteArray> text();

// The entry there is exactly the one this program would write.
bool isOurs();

// Writes the entry (atomically); false, said once on stderr, when it could
// not be written.
bool write();

// Removes the entry; a missing one is no failure. False when it stays.
bool remove();

} // namespace AutostartEntry
