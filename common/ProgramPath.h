#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// Paths as the programs store and send them are relative to the program folder
// and written with backslashes: "\Data\Log\2026\12\10\", "\Journal\". Only where
// a file is touched does such a text become a native path, here and nowhere
// else.
namespace ProgramPath {

// The native path below the program folder (AppPaths::programFolder(), or the
// folder given). "\" and "/" both separate; a leading one, repeated ones and "."
// parts mean nothing; a trailing one is kept ("\Data\Log\" gives
// "<folder>/Data/Log/"). Refused (nullopt), because the result would leave the
// program folder or be cut short: a ".." part, a control character (NUL among them), and absolute
// forms: a drive ("C:\..."), a UNC or network path ("\\server\share", "//host").
std::optional<QString> toNative(QStringView stored);
std::optional<QString> toNative(QStringView stored, const QString& programFolder);

// The stored form of a day's folder of calls: "\Data\Log\2026\12\10\".
QString dayFolder(const QDate& date);

} // namespace ProgramPath
