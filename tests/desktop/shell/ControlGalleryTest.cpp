#include "desktop/shell/ControlGallery.h"
#include "common/TranslationFile.h"
#include "desktop/foundation/DialogProvider.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/cSlider.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "platform/SimulatedLines.h"
#include "platform/SinkWave.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class ControlGalleryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCommonDialogs();
        qputenv("RINGVALE_AUDIO_SINK", sink.path().toUtf8());
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Sound"_s));
        for (const QString& name : {u"Ring.wav"_s, u"Bell.wav"_s}) {
            QFile file(env.programFolder() + u"/Sound/"_s + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    void TearDown() override
    {
        gallery.reset();
        QApplication::setLayoutDirection(Qt::LeftToRight);
        qunsetenv("RINGVALE_AUDIO_SINK");
        ResetCommonDialogs();
    }

    ControlGallery& show(Qt::LayoutDirection direction = Qt::LeftToRight)
    {
        QApplication::setLayoutDirection(direction);
        gallery = std::make_unique<ControlGallery>();
        gallery->move(40, 40);
        gallery->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(gallery.get()));
        return *gallery;
    }

    // Clicks the button; the modal dialog it opens is shot, then closed by close().
    void shootDialog(QPushButton* button, const QString& name, const std::function<void(QWidget*)>& close)
    {
        bool shot = false;
        const int shooting = ++m_shooting;
        WidgetShots::onNextModal([&, shooting](QWidget* dialog) {
            QTest::qWait(50);
            shot = WidgetShots::save(dialog, name);
            close(dialog);
            // Whatever the act left open ends the test's wait, not the run; a
            // later dialog of the same test is not this act's to close.
            QTimer::singleShot(testTimeout(5000), &m_watchdogs, [this, shooting] {
                if (shooting != m_shooting)
                    return;
                while (QWidget* left = QApplication::activeModalWidget()) {
                    ADD_FAILURE() << "left open: " << left->metaObject()->className() << " "
                                  << left->windowTitle().toStdString();
                    left->close();
                }
            });
        });
        button->click();
        EXPECT_TRUE(shot) << name.toStdString();
    }

    TestEnvironment env;
    QTemporaryDir sink;
    // Owns the pending watchdogs, so none outlives its test.
    QObject m_watchdogs;
    int m_shooting = 0;
    std::unique_ptr<ControlGallery> gallery;
};

TEST_F(ControlGalleryTest, ShowsTheControlsWithTheirListsFilled)
{
    ControlGallery& g = show();
    EXPECT_EQ(g.txtSample->placeholderText(), u"Type a caller's name");
    EXPECT_EQ(g.sldAnimateVal->Min(), 0);
    EXPECT_EQ(g.sldAnimateVal->Max(), 100);
    EXPECT_EQ(g.lblAnimateVal->text(), u"50");
    EXPECT_EQ(g.sldrTTS->Min(), -5);
    EXPECT_EQ(g.sldrTTS->Max(), 5);
    EXPECT_EQ(g.sldrTTS->value(), 0);
    EXPECT_EQ(g.cmbLines->currentText(), SimulatedLines::deviceName(0));
    EXPECT_EQ(g.cmbSoundDevices->currentText(), SinkWave::deviceName());
    EXPECT_EQ(g.cmbSoundFiles->count(), 2);
    EXPECT_EQ(g.cmbSoundFiles->currentText(), u"Bell.wav");
    EXPECT_TRUE(WidgetShots::save(&g, u"gallery.png"_s));
}

TEST_F(ControlGalleryTest, AnimationSliderShowsItsValueInTheLabel)
{
    ControlGallery& g = show();
    cSlider* slider = g.sldAnimateVal;
    const int x = slider->thumb()->x() > slider->width() / 2 ? 2 : slider->width() - 2;
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, slider->height() / 2));
    EXPECT_NE(slider->value(), 50);
    EXPECT_EQ(g.lblAnimateVal->text(), QString::number(slider->value()));
}

TEST_F(ControlGalleryTest, BalloonButtonShowsTheBalloonAtTheTextBox)
{
    ControlGallery& g = show();
    QTest::mouseClick(g.cmdBalloon, Qt::LeftButton);
    BalloonTip* balloon = BalloonTip::current();
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->anchor(), g.txtSample);
    EXPECT_EQ(balloon->icon(), BalloonTip::Information);
    EXPECT_FALSE(balloon->title().isEmpty());
    EXPECT_TRUE(WidgetShots::save(WidgetShots::grabWithOverlays(&g, {balloon}), u"gallery-balloon.png"_s));
    QTest::keyClick(g.txtSample, Qt::Key_A);
    EXPECT_TRUE(waitUntil([] { return BalloonTip::current() == nullptr; }));
}

TEST_F(ControlGalleryTest, RightToLeftMirrorsTheWindow)
{
    ControlGallery& g = show(Qt::RightToLeft);
    EXPECT_EQ(g.layoutDirection(), Qt::RightToLeft);
    // The text box starts at the right, its button at the left.
    EXPECT_GT(g.txtSample->x(), g.cmdBalloon->x());
    QTest::mouseClick(g.cmdBalloon, Qt::LeftButton);
    BalloonTip* balloon = BalloonTip::current();
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->layoutDirection(), Qt::RightToLeft);
    EXPECT_TRUE(WidgetShots::save(&g, u"gallery-rtl.png"_s));
    EXPECT_TRUE(
        WidgetShots::save(WidgetShots::grabWithOverlays(&g, {balloon}), u"gallery-balloon-rtl.png"_s));
}

TEST_F(ControlGalleryTest, MessageBoxReadsRightToLeftWithARightToLeftTranslation)
{
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
    const QString hebrew = g_sTransPath() + u"Hebrew.txt"_s;
    ASSERT_TRUE(TranslationFile::write(hebrew, TranslationFile::newTranslation(true)));
    for (const bool rightToLeft : {false, true}) {
        ResetTranslation();
        if (rightToLeft) {
            ASSERT_EQ(LoadTranslation(hebrew), 0);
        }
        ControlGallery& g = show();
        Qt::LayoutDirection seen = Qt::LayoutDirectionAuto;
        QString title;
        shootDialog(g.cmdMessage, rightToLeft ? u"message-box-rtl.png"_s : u"message-box.png"_s,
            [&](QWidget* dialog) {
                auto* box = qobject_cast<QMessageBox*>(dialog);
                ASSERT_NE(box, nullptr);
                seen = box->layoutDirection();
                title = box->windowTitle();
                box->button(QMessageBox::Yes)->click();
            });
        EXPECT_EQ(seen, rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        EXPECT_EQ(title, u"Ringvale");
        EXPECT_EQ(g.lblResult->text(), u"Message box: Yes");
        gallery.reset();
    }
    ResetTranslation();
}

TEST_F(ControlGalleryTest, ColourDialogOpensWhiteInTheMiddleOfTheScreen)
{
    ControlGallery& g = show();
    QColor initial;
    QRect frame;
    shootDialog(g.cmdColor, u"colour-dialog.png"_s, [&](QWidget* dialog) {
        auto* colours = qobject_cast<QColorDialog*>(dialog);
        ASSERT_NE(colours, nullptr);
        initial = colours->currentColor();
        frame = colours->frameGeometry();
        colours->setCurrentColor(QColor(0x12, 0x34, 0x56));
        static_cast<QDialog*>(colours)->accept();
    });
    EXPECT_EQ(initial, QColor(Qt::white));
    EXPECT_EQ(frame.topLeft(), CenteredDialogPosition(frame, g.screen()->geometry()));
    EXPECT_EQ(g.lblResult->text(), u"Colour: &H00563412");
    // The custom colours read row by row as the table lists them.
    EXPECT_EQ(QColorDialog::customColor(0), QColor(139, 155, 184));
    EXPECT_EQ(QColorDialog::customColor(2), QColor(188, 213, 254));
    EXPECT_EQ(QColorDialog::customColor(1), QColor(160, 160, 160));
}

TEST_F(ControlGalleryTest, OpenAndSaveDialogsReportWhatWasChosen)
{
    ControlGallery& g = show();
    const QString chosen = env.programFolder() + u"/Sound/Ring.wav"_s;
    shootDialog(g.cmdOpen, u"open-dialog.png"_s, [&](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        // As a person does: the name typed into the file-name box.
        auto* name = files->findChild<QLineEdit*>(u"fileNameEdit"_s);
        ASSERT_NE(name, nullptr);
        name->setText(chosen);
        static_cast<QDialog*>(files)->accept();
    });
    EXPECT_EQ(g.lblResult->text(), u"Open: "_s + chosen);
    shootDialog(g.cmdSave, u"save-dialog.png"_s, [&](QWidget* dialog) { dialog->close(); });
    EXPECT_EQ(g.lblResult->text(), u"Save: cancelled");
}

TEST_F(ControlGalleryTest, RunsInARealWindow)
{
    ControlGallery& g = show();
    QApplication::setActiveWindow(&g);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g)) << QApplication::platformName().toStdString();
    QTest::mouseClick(g.cmdBalloon, Qt::LeftButton);
    ASSERT_NE(BalloonTip::current(), nullptr);
    QTest::qWait(100);
    // What the screen shows: the window and the balloon over it.
    const QRect area = g.frameGeometry().united(BalloonTip::current()->geometry());
    const QPixmap screen = g.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    ASSERT_FALSE(screen.isNull());
    EXPECT_TRUE(WidgetShots::save(
        screen.toImage(), u"gallery-on-screen-"_s + QApplication::platformName() + u".png"_s));
}

} // namespace
