#include "desktop/foundation/mdlMouseClick.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

TEST(GetCursorPosition, GivesWhereThePointerIsOnTheScreen)
{
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint inside = screen.topLeft() + QPoint(123, 45);
    QCursor::setPos(inside);
    qint32 x = -1;
    qint32 y = -1;
    GetCursorPosition(x, y);
    EXPECT_EQ(QPoint(x, y), inside);
}
