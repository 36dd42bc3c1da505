#pragma once

#include <QString>

// The product's title, as journals, mails and pages show it.
inline QString ProductTitle()
{
    return QStringLiteral("Ringvale 1.1");
}
