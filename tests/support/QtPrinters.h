#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <ostream>

// Readable QString and QByteArray in GoogleTest failure messages (found by
// argument-dependent lookup): quoted, control characters as \r, \n, \xHH.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            *os << "\\r";
        } else if (c == '\n') {
            *os << "\\n";
        } else if (c == '\\' || c == '"') {
            *os << '\\' << c;
        } else if (byte < 0x20 || byte == 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            *os << hex;
        } else {
            *os << c;
        }
    }
    *os << '"';
}

inline void PrintTo(const QString& text, std::ostream* os)
{
    PrintTo(text.toUtf8(), os);
}
