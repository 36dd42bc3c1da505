#include "desktop/shell/frmSysTray.h"
#include "tests/desktop/shell/RecordingTray.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(frmSysTray, ANewIconShowsTheProgramsPictureAndDescription)
{
    RecordingTrays trays;
    frmSysTray tray;
    ASSERT_NE(trays.last, nullptr);
    EXPECT_EQ(
        trays.last->requests, (QStringList{u"icon"_s, u"tip "_s + frmSysTray::FileDescription(), u"show"_s}));
}

TEST(frmSysTray, TextsAreCutToWhatTheTrayHolds)
{
    RecordingTrays trays;
    frmSysTray tray;
    trays.last->requests.clear();
    tray.ToolTip(QString(200, u't'));
    tray.ShowBalloonTip(QString(300, u'm'), QString(70, u'T'), 2, 30000);
    tray.ToolTip(QString());
    EXPECT_EQ(trays.last->requests,
        (QStringList{u"tip "_s + QString(127, u't'),
            u"balloon 2 30000 "_s + QString(63, u'T') + u'|' + QString(255, u'm'), u"tip "_s}));
}

TEST(frmSysTray, ACutNeverSplitsACharacter)
{
    // A character outside the basic plane takes two units; the cut lands on its second.
    const QString text = QString(126, u'a') + QString::fromUcs4(U"\U0001F4DE") + u"b"_s;
    EXPECT_EQ(CutTrayText(text, 127), QString(126, u'a'));
    EXPECT_EQ(CutTrayText(u"short"_s, 127), u"short"_s);
}

TEST(frmSysTray, APictureIsSentOnlyWhenItChanges)
{
    RecordingTrays trays;
    frmSysTray tray;
    trays.last->requests.clear();
    tray.IconHandle(frmSysTray::DefaultIcon());
    EXPECT_TRUE(trays.last->requests.isEmpty());
    QPixmap other(16, 16);
    other.fill(Qt::red);
    const QIcon red(other);
    tray.IconHandle(red);
    tray.IconHandle(red);
    EXPECT_EQ(trays.last->requests, QStringList{u"icon"_s});
}

TEST(frmSysTray, ClosingABalloonPutsTheIconBackAsNew)
{
    RecordingTrays trays;
    frmSysTray tray;
    tray.ToolTip(u"Ringvale 1.1"_s);
    trays.last->requests.clear();
    tray.CloseBalloone();
    EXPECT_EQ(trays.last->requests,
        (QStringList{u"hide"_s, u"icon"_s, u"tip "_s + frmSysTray::FileDescription(), u"show"_s}));
}

TEST(frmSysTray, ClicksBecomeTheTraysEvents)
{
    RecordingTrays trays;
    frmSysTray tray;
    QStringList events;
    QObject::connect(&tray, &frmSysTray::SysTrayMouseDown, [&](qint32 b) { events << u"down %1"_s.arg(b); });
    QObject::connect(&tray, &frmSysTray::SysTrayMouseUp, [&](qint32 b) { events << u"up %1"_s.arg(b); });
    QObject::connect(
        &tray, &frmSysTray::SysTrayDoubleClick, [&](qint32 b) { events << u"double %1"_s.arg(b); });
    QObject::connect(&tray, &frmSysTray::BalloonClicked, [&] { events << u"balloon"_s; });

    emit trays.last->activated(TrayIcon::Activation::Trigger);
    emit trays.last->activated(TrayIcon::Activation::DoubleClick);
    emit trays.last->activated(TrayIcon::Activation::Context);
    emit trays.last->activated(TrayIcon::Activation::Other);
    emit trays.last->messageClicked();
    EXPECT_EQ(events, (QStringList{u"down 1"_s, u"double 1"_s, u"down 2"_s, u"up 2"_s, u"balloon"_s}));
}

TEST(frmSysTray, DestroyingTheObjectRemovesItsIcon)
{
    RecordingTrays trays;
    auto tray = std::make_unique<frmSysTray>();
    trays.all.clear();
    tray.reset();
    EXPECT_EQ(trays.all.last(), u"hide"_s);
}
