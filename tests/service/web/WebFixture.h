#pragma once

#include "common/CallRecord.h"

#include <QByteArray>
#include <QString>

// A small program folder for the web tests, in the current RINGVALE_HOME:
//   Data/Last      "2:<12/10>", "1:<12/09>" (stale: no such day), "1:<12/10>"
//   12/10 day file call 1 "Jane <Roe>" 5550142 09:15:00 (contact "Jane & Co"),
//                  call 2 UNKNOWN 5550100 10:30:05, recorded (type "3")
//   Journal/       01-05-2026_Sys.txt, 12-09-2026_Sys.txt (three lines),
//                  12-10-2026_Calls.txt, 12-10-2026_WWW.txt
//   WWW/           style.css, "my file.css", Empty.txt, k1.bin (1024 bytes),
//                  k2.bin (2048), big.bin (5000)
//   Secret.txt     beside the folders, never to be served
namespace WebFixture {

inline const QString kDay = QStringLiteral("\\Data\\Log\\2026\\12\\10\\");
inline const QByteArray kSecret = "TOP-SECRET-CONTENT";

// Writes bytes to a path relative to the program folder, creating folders.
void writeFile(const QString& relativePath, const QByteArray& bytes);
QByteArray readFile(const QString& relativePath);

CallRecord call(const QString& name, const QString& number, const QString& time,
    const QString& type = QStringLiteral("0"));

void install();
// The bytes of the recording of call 2 and its path below the program folder.
QByteArray recordingBytes();
QString recordingPath();
// Bytes 0, 1, 2 ... of the given length.
QByteArray counting(int length);

} // namespace WebFixture
