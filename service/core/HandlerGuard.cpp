#include "service/core/HandlerGuard.h"

#include "service/core/Journal.h"

#include <exception>

bool RunGuarded(const Journal& journal, const QString& source, const std::function<void()>& procedure)
{
    try {
        procedure();
        return true;
    } catch (const std::exception& failure) {
        journal.WriteSysJournal(QString::fromLocal8Bit(failure.what()), 0, source);
    } catch (...) {
        journal.WriteSysJournal(QStringLiteral("Unknown failure"), 0, source);
    }
    return false;
}
