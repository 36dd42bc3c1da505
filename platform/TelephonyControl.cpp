#include "platform/TelephonyControl.h"

#include <algorithm>

bool IsDialable(const QString& number)
{
    static const QString allowed = QStringLiteral("0123456789*#+,!@$WwPpTt ()-.ABCDabcd");
    if (number.trimmed().isEmpty())
        return false;
    return std::all_of(number.cbegin(), number.cend(), [](QChar c) { return allowed.contains(c); });
}
