#pragma once

#include "platform/ServiceManagerControl.h"

#include <QString>

// The desktop's control of the service as a systemd user unit,
// RingvaleSvc.service, through ServiceManagerControl::instance(). Nothing is
// kept between calls: systemd is the state.
//
// Every function but ServiceGetState and GetLogonDomain answers 0 on success,
// else systemctl's exit status or one of the codes below (or
// ServiceManagerError's); ServiceLastError() then says why in one line.

namespace ServiceControlError {
inline constexpr int NotInstalled = 1010; // systemd has no such unit loaded
inline constexpr int UnitExists = 1011; // the unit file is there already
inline constexpr int AccountRefused = 1012; // not LocalSystem nor the desktop's user
inline constexpr int UnitNotWritten = 1013; // a folder systemd cannot name, or the write failed
inline constexpr int UnitNotRemoved = 1014;
} // namespace ServiceControlError

// Service states: 0 none (no unit loaded, or systemd unreadable), 1 stopped
// (inactive or failed), 2 starting, 3 stopping, 4 running, 5 reloading.
qint32 ServiceGetState();

// 0 exactly when systemd has the unit loaded.
qint32 ServiceIsInstalled();

// Installs the unit for the account typed, which is first composed as the
// box then shows it (ComposeServiceAccount). A user unit runs as the desktop's
// user: only "LocalSystem" and ".\<login>" are accepted, anything else is
// refused before anything is written. No password is needed or kept.
// Writes the unit file (refused when one is there), then daemon-reload (the
// file is removed again when that fails) and enable.
qint32 ServiceInstall(QString& account);

// Stop (result ignored), disable, unit file removed, daemon-reload.
qint32 ServiceUninstall();

qint32 ServiceStart();
qint32 ServiceStop();

// The user's logon domain: Linux logins have none, so "".
QString GetLogonDomain();

// The account as installing composes it: "LocalSystem" (exact case) and
// names holding a "\" stay as typed, others get the logon domain (or ".")
// and a "\" in front.
QString ComposeServiceAccount(const QString& typed);

// The login of the user running the desktop.
QString DesktopUserLogin();

// Where the unit file goes: $XDG_CONFIG_HOME/systemd/user/RingvaleSvc.service
// ($XDG_CONFIG_HOME defaults to ~/.config).
QString ServiceUnitPath();

// Why the last failing call failed, one line.
QString ServiceLastError();
