#pragma once

#include <QString>

// The desktop's general utilities. Those the service shares are in
// common/SharedUtilities.h, the waits in common/Waits.h.

// The text with its first "<%S>" (exact case) replaced by value; later ones
// stay. A text without "<%S>" comes back unchanged.
QString ReplacePlaceholder(const QString& text, const QString& value);

// The part after the last "\" (the whole path when there is none).
QString GetFileNameFromPath(const QString& path);

// The address checks of the mail windows: an "@" and a "." somewhere, at least
// 6 characters, after the first "@" no other "@", no blank and a ".", no double
// quote, none of !#$%^&*()=+{}[]|\;:'/?>,< and the blank, and no "..".
bool IsValidEmail(const QString& address);

// The whole number nearest to x, halves to the even one (2.5 gives 2, 3.5
// gives 4), as window positions and slider values are rounded.
double RoundHalfEven(double x);

// Hours (no leading zeros), minutes and seconds: 3725 gives "1:02:05".
QString FormatSeconds(qint32 seconds);

// The speech engine (espeak-ng) can speak: its data folder holds the phoneme
// tables and the voices.
bool IsSpeechInstalled();
// The same test on a given espeak-ng data folder.
bool IsSpeechDataFolder(const QString& folder);

// The running system's name, as the desktop shows it: os-release's
// PRETTY_NAME (else NAME and VERSION) and the kernel, "Debian GNU/Linux 12
// (bookworm), Linux 6.1.0-18-amd64".
QString OperatingSystemName();
// The same from given os-release text and uname fields.
QString OperatingSystemName(
    const QByteArray& osRelease, const QString& kernelName, const QString& kernelRelease);
