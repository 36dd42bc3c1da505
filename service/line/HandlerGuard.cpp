#include "service/line/HandlerGuard.h"

#include "service/line/Journal.h"

#include <exception>

bool RunGuarded(const QString& source, const std::function<void()>& procedure)
{
    try {
        procedure();
        return true;
    } catch (const std::exception& failure) {
        WriteSysJournal(QString::fromLocal8Bit(failure.what()), 0, source);
    } catch (...) {
        WriteSysJournal(QStringLiteral("Unknown failure"), 0, source);
    }
    return false;
}
