#include "desktop/foundation/mdlMouseClick.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

void GetCursorPosition(qint32& x, qint32& y)
{
    x = 0;
    y = 0;
    // QCursor asks the primary screen, which only a running GUI application has.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || !QGuiApplication::primaryScreen())
        return;
    const QPoint position = QCursor::pos();
    x = position.x();
    y = position.y();
}
