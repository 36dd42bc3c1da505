#include "desktop/shell/frmMessenger.h"

#include "common/RegistryRoutines.h"
#include "common/SharedUtilities.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/Translation.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QDir>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class frmMessengerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    }
    void TearDown() override { ResetTranslation(); }

    void store(const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Events\\Advanced"_s).setString(name, value));
    }
    // Ticks until the slide stops or the window goes; the tops seen.
    QList<qint64> slide()
    {
        QList<qint64> tops;
        for (int i = 0; i < 200 && popUp.IsLoaded() && popUp.tmrAnimate->isActive(); ++i) {
            popUp.tmrAnimate_Timer();
            tops << popUp.TopTwips();
        }
        return tops;
    }
    static void release(QWidget* widget)
    {
        QMouseEvent event(QEvent::MouseButtonRelease, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }

    // A contact picture in Pics/; its path.
    QString picture()
    {
        QDir().mkpath(env.programFolder() + u"/Pics"_s);
        QImage image(60, 60, QImage::Format_RGB32);
        image.fill(QColor(0xd9, 0x8c, 0x3f));
        QPainter painter(&image);
        painter.setBrush(QColor(0xf5, 0xd0, 0xa9));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(30, 24), 13, 13);
        painter.drawEllipse(QPoint(30, 62), 24, 20);
        painter.end();
        const QString path = env.programFolder() + u"/Pics/ann.png"_s;
        image.save(path, "PNG");
        return path;
    }

    TestEnvironment env;
    frmMessenger popUp;
};

TEST_F(frmMessengerTest, TheWindowIsMadeAboveTheScreenOnTopAndWithoutFocus)
{
    popUp.Load();
    QWidget* window = popUp.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsFormLoaded(u"frmMessenger"_s));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(window->windowType(), Qt::Tool); // not in the task bar
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QRect(0, -190, 176, 187));
    EXPECT_EQ(popUp.lblCallerName->text(), QString());
    EXPECT_EQ(popUp.lblCallerName->textFormat(), Qt::PlainText);
    EXPECT_EQ(popUp.imgContact->geometry(), QRect(40, 32, 89, 89));
    EXPECT_EQ(popUp.tmrAnimate->interval(), 1);
    EXPECT_EQ(popUp.tmrCloseAfter->interval(), 1000);
    EXPECT_FALSE(popUp.tmrAnimate->isActive() || popUp.tmrCloseAfter->isActive());
}

TEST_F(frmMessengerTest, WithoutAnimationDisplayPlacesItAndAClickDestroysIt)
{
    popUp.Load();
    popUp.Display();
    EXPECT_EQ(popUp.window()->pos(), QPoint(0, 0));
    EXPECT_FALSE(popUp.tmrAnimate->isActive());
    // The title strip and the title do not react.
    release(popUp.lblTitle);
    release(popUp.Picture1);
    EXPECT_TRUE(popUp.IsLoaded());
    release(popUp.lblCallerNumber);
    EXPECT_FALSE(popUp.IsLoaded());
    EXPECT_FALSE(IsFormLoaded(u"frmMessenger"_s));
    // Every other part closes it too.
    popUp.Display(); // made anew
    release(popUp.imgClose);
    EXPECT_FALSE(popUp.IsLoaded());
}

TEST_F(frmMessengerTest, TheSlideInStepsByTheSpeedAndEndsAtZeroExactly)
{
    for (qint32 faster : {0, 50, 100}) {
        SCOPED_TRACE(faster);
        const qint64 step = faster + 50;
        popUp.Load();
        popUp.bAnimate = true;
        popUp.lAnimateFaster = faster;
        popUp.Display();
        EXPECT_EQ(popUp.sStat, u"ON"_s);
        EXPECT_EQ(popUp.TopTwips(), -2805);
        const QList<qint64> tops = slide();
        ASSERT_FALSE(tops.isEmpty());
        EXPECT_EQ(tops.first(), -2805 + step);
        EXPECT_EQ(tops.last(), 0);
        // Whole steps while more than a step is left, then the edge.
        EXPECT_EQ(tops.size(), (2805 + step - 1) / step);
        EXPECT_EQ(popUp.window()->y(), 0);
        popUp.Unload();
    }
}

TEST_F(frmMessengerTest, TheSlideOutOvershootsAndDestroysOneTickLater)
{
    popUp.Load();
    popUp.bAnimate = true;
    popUp.lAnimateFaster = 100;
    popUp.bTest = true;
    popUp.Display();
    slide();
    popUp.UnDisplay();
    EXPECT_EQ(popUp.sStat, u"OFF"_s);
    QList<qint64> tops;
    while (popUp.IsLoaded() && tops.size() < 100) {
        popUp.tmrAnimate_Timer();
        tops << popUp.TopTwips();
    }
    ASSERT_GE(tops.size(), 2);
    // 0 - 19 steps of 150 = -2850, past -2805; the next tick ends it there.
    EXPECT_EQ(tops.at(tops.size() - 2), -2850);
    EXPECT_EQ(tops.last(), -2805);
    EXPECT_FALSE(popUp.IsLoaded());
    EXPECT_FALSE(popUp.bTest); // a preview is over with its window
}

TEST_F(frmMessengerTest, ClosingMidSlideReversesFromWhereItIs)
{
    popUp.Load();
    popUp.bAnimate = true;
    popUp.Display();
    for (int i = 0; i < 3; ++i)
        popUp.tmrAnimate_Timer();
    ASSERT_EQ(popUp.TopTwips(), -2805 + 150);
    popUp.UnDisplay();
    popUp.tmrAnimate_Timer();
    EXPECT_EQ(popUp.TopTwips(), -2805 + 100);
    // Shown again while sliding out: in again from above the screen.
    popUp.Display();
    EXPECT_EQ(popUp.TopTwips(), -2805);
    EXPECT_EQ(slide().last(), 0);
}

TEST_F(frmMessengerTest, TheCloseTimerCountsFromTheWindowsCreation)
{
    popUp.Load();
    popUp.bClose = true;
    popUp.lCloseAfter = 0;
    popUp.Display();
    EXPECT_TRUE(popUp.tmrCloseAfter->isActive());
    popUp.tmrCloseAfter_Timer();
    EXPECT_FALSE(popUp.IsLoaded()); // the first tick closes it

    popUp.lCloseAfter = 3;
    popUp.Display();
    popUp.tmrCloseAfter_Timer();
    popUp.tmrCloseAfter_Timer();
    EXPECT_EQ(popUp.CloseTicks(), 2);
    // A second call while it is up: the count goes on.
    popUp.Display();
    popUp.tmrCloseAfter_Timer();
    EXPECT_TRUE(popUp.IsLoaded());
    popUp.tmrCloseAfter_Timer();
    EXPECT_FALSE(popUp.IsLoaded());

    // The real timer does it too, about a second after Display.
    popUp.lCloseAfter = 0;
    popUp.Display();
    EXPECT_TRUE(waitUntil([&] { return !popUp.IsLoaded(); }, 3000));
}

TEST_F(frmMessengerTest, ThePreviewShowsSampleTextsAndARealCallNoPicture)
{
    popUp.Load();
    popUp.SetPicture(picture());
    ASSERT_FALSE(popUp.imgContact->pixmap().isNull());
    popUp.bTest = true;
    popUp.Display();
    EXPECT_EQ(popUp.lblContact->text(), u"Contact"_s);
    EXPECT_EQ(popUp.lblCallerName->text(), u"Caller Name"_s);
    EXPECT_EQ(popUp.lblCallerNumber->text(), u"Caller Number"_s);
    EXPECT_EQ(popUp.imgMain->toolTip(), u"A sample of the incoming-call window"_s);
    popUp.Unload();
    EXPECT_FALSE(popUp.bTest);

    popUp.Load();
    popUp.SetCallerName(u"Ann Lee"_s);
    popUp.Display();
    EXPECT_EQ(popUp.lblCallerName->text(), u"Ann Lee"_s);
    EXPECT_TRUE(popUp.imgContact->pixmap().isNull());
    EXPECT_EQ(popUp.imgMain->toolTip(), QString());
}

TEST_F(frmMessengerTest, ARingShowsOnlyWhatTheCallTold)
{
    // The preview's window is still up when the first ring comes.
    popUp.Load();
    popUp.bTest = true;
    popUp.Display();
    ASSERT_EQ(popUp.lblContact->text(), u"Contact"_s);
    popUp.bTest = false;
    popUp.SetCallerName(u"UNKNOWN"_s);
    popUp.SetCallerNumber(u"UNKNOWN"_s);
    popUp.Display();
    EXPECT_EQ(popUp.lblContact->text(), QString()) << "no contact before the caller ID";
    EXPECT_EQ(popUp.lblCallerName->toolTip(), QString());
    // Without a picture neither the picture nor its frame shows.
    EXPECT_TRUE(popUp.Shape1->isHidden());
    EXPECT_TRUE(popUp.imgContact->isHidden());
    popUp.SetPicture(env.programFolder() + u"/Pics/none.png"_s);
    EXPECT_TRUE(popUp.Shape1->isHidden());
    popUp.SetPicture(picture());
    EXPECT_FALSE(popUp.Shape1->isHidden());
    EXPECT_FALSE(popUp.imgContact->isHidden());
    // The three lines start at one edge.
    EXPECT_EQ(popUp.lblContact->x(), popUp.lblCallerName->x());
    EXPECT_EQ(popUp.lblCallerNumber->x(), popUp.lblCallerName->x());
}

TEST_F(frmMessengerTest, ALongNameEndsInAnEllipsisWithTheWholeNameAsTooltip)
{
    popUp.Load();
    const QString name = u"Łukasiewicz-Wróblewska Przybyszewska-Ćwiklińska"_s;
    popUp.SetCallerName(name);
    popUp.SetCallerNumber(u"5551234"_s);
    popUp.Display();
    // The contact comes with the caller ID, once the window shows.
    popUp.SetContact(name);
    for (QLabel* label : {popUp.lblCallerName, popUp.lblContact}) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << label->text().toStdString();
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        EXPECT_EQ(label->toolTip(), name);
    }
    EXPECT_EQ(popUp.lblCallerNumber->text(), u"5551234"_s);
    EXPECT_EQ(popUp.lblCallerNumber->toolTip(), QString());
}

TEST_F(frmMessengerTest, TheLookIsReadWhenTheWindowIsMade)
{
    struct Case {
        const char* style;
        const char* title; // nullptr: not stored
        const char* back;
        const char* font;
        bool personal;
        QColor titleColour;
        QColor backColour;
        QColor fontColour;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, false, {}, {}, {}},
        {"personal", "255", "0", "16777215", false, {}, {}, {}},
        // No colour stored: the pop-up's own, never black on black.
        {"Personal", nullptr, nullptr, nullptr, true, kPopUpTitleColour, kPopUpBackColour, kPopUpTextColour},
        {"Personal", "255", "0", "16777215", true, Qt::red, Qt::black, Qt::white},
        {"Personal", "red", "", "65280", true, kPopUpTitleColour, kPopUpBackColour, Qt::green},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style ? c.style : "none");
        const RegistryRoutines advanced = RegistryRoutines::forProduct(u"Events\\Advanced"_s);
        for (const auto& [name, value] : {std::pair{u"Style"_s, c.style}, std::pair{u"picTitle"_s, c.title},
                 std::pair{u"picBG"_s, c.back}, std::pair{u"picFont"_s, c.font}}) {
            if (value)
                store(name, QString::fromLatin1(value));
            else
                (void)advanced.DeleteValue(name);
        }
        popUp.Load();
        EXPECT_EQ(popUp.imgMain->isHidden(), c.personal);
        EXPECT_EQ(popUp.imgTop->isHidden(), c.personal);
        if (c.personal) {
            EXPECT_EQ(popUp.Picture1->palette().color(QPalette::Window), c.titleColour);
            EXPECT_EQ(popUp.window()->palette().color(QPalette::Window), c.backColour);
            EXPECT_EQ(popUp.lblCallerName->palette().color(QPalette::WindowText), c.fontColour);
        }
        // A change while it is up waits for the next window.
        store(u"Style"_s, c.personal ? u"Default"_s : u"Personal"_s);
        popUp.Display();
        EXPECT_EQ(popUp.imgMain->isHidden(), c.personal);
        popUp.Unload();
    }
}

// For review: both looks with a caller, and the preview.
TEST_F(frmMessengerTest, Screenshots)
{
    const struct {
        const char* style;
        bool preview;
        const char* file;
    } shots[] = {
        {"Default", false, "caller-popup-default.png"},
        {"Personal", false, "caller-popup-personal.png"},
        {"Default", true, "caller-popup-preview.png"},
    };
    for (const auto& shot : shots) {
        store(u"Style"_s, QString::fromLatin1(shot.style));
        popUp.Load();
        popUp.SetTitle(g_sTrans(802));
        if (!shot.preview) {
            popUp.SetCallerName(u"Ann Lee"_s);
            popUp.SetCallerNumber(u"5551234"_s);
        }
        popUp.bTest = shot.preview;
        popUp.Display();
        // The contact and its picture come with the caller ID.
        if (!shot.preview) {
            popUp.SetContact(u"Ann Lee (work)"_s);
            popUp.SetPicture(picture());
        }
        EXPECT_TRUE(WidgetShots::save(popUp.window(), QString::fromLatin1(shot.file)));
        popUp.Unload();
    }
}

} // namespace
