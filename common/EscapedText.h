#pragma once

#include <QString>

#include <optional>

// Texts with control characters written out, for tools that take or print
// them on one line of a shell: \\ backslash, \r CR, \n LF, \xHH the character
// of hex code HH. escape() shows every other control character as \xHH too,
// so an escaped text is always one line.
namespace EscapedText {

QString escape(const QString& text);
// Nothing when the text holds an unknown or incomplete escape.
std::optional<QString> unescape(const QString& text);

} // namespace EscapedText
