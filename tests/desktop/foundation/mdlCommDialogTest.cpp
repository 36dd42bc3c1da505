#include "desktop/foundation/mdlCommDialog.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class mdlCommDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCommonDialogs();
        owner.setGeometry(100, 50, 600, 400);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }
    void TearDown() override { ResetCommonDialogs(); }

    QWidget owner;
};

TEST_F(mdlCommDialogTest, CentredPositionRoundsHalvesToEven)
{
    const struct {
        QRect dialog;
        QRect area;
        QPoint expected;
    } cases[] = {
        {QRect(0, 0, 400, 300), QRect(0, 0, 1024, 768), QPoint(312, 234)}, // on the screen
        {QRect(0, 0, 400, 300), QRect(100, 50, 600, 400), QPoint(200, 100)}, // on an owner
        {QRect(0, 0, 401, 301), QRect(0, 0, 1024, 768), QPoint(312, 234)}, // 311.5 and 233.5
        {QRect(0, 0, 403, 299), QRect(0, 0, 1024, 768), QPoint(310, 234)}, // 310.5 and 234.5
        {QRect(0, 0, 800, 600), QRect(100, 50, 600, 400), QPoint(0, -50)}, // larger than its owner
    };
    for (const auto& c : cases)
        EXPECT_EQ(CenteredDialogPosition(c.dialog, c.area), c.expected) << c.dialog.width();
}

TEST_F(mdlCommDialogTest, OpenGivesFolderAndNameAndTheNextOpenStartsWithIt)
{
    ScriptedDialogs dialogs;
    dialogs.fileAnswers << ScriptedDialogs::choose(u"/srv/Pics/a.jpg"_s);
    g_OpenFileName().lpstrTitle = u"Picture"_s;
    g_OpenFileName().Flags = 0x200; // several files: never for an Open
    const SelectedFiles chosen = ShowOpenDialog(&owner, kCenterOnOwner);
    EXPECT_EQ(chosen.Path, u"/srv/Pics/");
    EXPECT_EQ(chosen.Files, QStringList{u"a.jpg"_s});
    EXPECT_EQ(chosen.Count, 1);
    EXPECT_FALSE(chosen.Cancelled);
    EXPECT_EQ(g_OpenFileName().Flags, OpenFileFlags::OpenDialog);

    ShowOpenDialog(&owner, kCenterOnOwner);
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(dialogs.fileRequests[0].kind, FileDialogRequest::Open);
    EXPECT_EQ(dialogs.fileRequests[0].title, u"Picture");
    EXPECT_EQ(dialogs.fileRequests[0].startName.trimmed(), QString());
    EXPECT_EQ(dialogs.fileRequests[1].startName, u"/srv/Pics/a.jpg");
}

TEST_F(mdlCommDialogTest, CancelledDialogsGiveTheCancelledResult)
{
    ScriptedDialogs dialogs;
    for (const SelectedFiles& files :
        {ShowOpenDialog(&owner, kCenterOnOwner), ShowSaveDialog(&owner, u"calls.txt"_s, kCenterOnOwner)}) {
        EXPECT_EQ(files.Count, 0);
        EXPECT_TRUE(files.Files.isEmpty());
        EXPECT_EQ(files.Path, QString());
        EXPECT_TRUE(files.Cancelled);
    }
    const ColorChoice colour = ShowColorDialog(&owner, kCenterOnScreen);
    EXPECT_EQ(colour.Color, -1);
    EXPECT_TRUE(colour.Cancelled);
}

TEST_F(mdlCommDialogTest, FiltersReachTheDialogAndTheChosenOneIsOfferedAgain)
{
    ScriptedDialogs dialogs;
    g_OpenFileName().lpstrFilter = {{u"Pictures"_s, u"*.jpg;*.bmp"_s}, {u"wav (*.wav)"_s, u"*.wav"_s}};
    dialogs.fileAnswers << ScriptedDialogs::choose(u"/tmp/x.wav"_s, 2);
    ShowOpenDialog(&owner, kCenterOnOwner);
    ShowOpenDialog(&owner, kCenterOnOwner);
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(
        dialogs.fileRequests[0].nameFilters, (QStringList{u"Pictures (*.jpg *.bmp)"_s, u"wav (*.wav)"_s}));
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 1);
    EXPECT_EQ(dialogs.fileRequests[1].filterIndex, 2);
}

TEST_F(mdlCommDialogTest, NameFiltersFromDescriptionAndPatternPairs)
{
    const struct {
        FileFilter filter;
        QString name;
    } cases[] = {
        {{u"wav (*.wav)"_s, u"*.wav"_s}, u"wav (*.wav)"_s},
        {{u"Text files"_s, u"*.txt"_s}, u"Text files (*.txt)"_s},
        {{u"Pictures"_s, u"*.jpg;*.gif;"_s}, u"Pictures (*.jpg *.gif)"_s},
        {{u"All"_s, QString()}, u"All"_s},
        {{QString(), u"*.log"_s}, u"*.log"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameFiltersFor({c.filter}), QStringList{c.name}) << c.filter.description.toStdString();
}

TEST_F(mdlCommDialogTest, SaveProposesTheNameAndAsksBeforeReplacingUnlessTheCallerSaysOtherwise)
{
    ScriptedDialogs dialogs;
    dialogs.fileAnswers << ScriptedDialogs::choose(u"/home/u/out/calls.txt"_s);
    g_OpenFileName().Flags = 0;
    const SelectedFiles chosen = ShowSaveDialog(&owner, u"calls.txt"_s, kCenterOnOwner);
    EXPECT_EQ(chosen.Path, u"/home/u/out/");
    EXPECT_EQ(chosen.Files, QStringList{u"calls.txt"_s});
    EXPECT_EQ(g_OpenFileName().Flags, OpenFileFlags::SaveDialogDefault);

    g_OpenFileName().Flags = 0x28000C; // the caller's own flags, without the question
    ShowSaveDialog(&owner, u"journal.txt"_s, kCenterOnOwner);
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(dialogs.fileRequests[0].kind, FileDialogRequest::Save);
    EXPECT_EQ(dialogs.fileRequests[0].startName, u"calls.txt");
    EXPECT_TRUE(dialogs.fileRequests[0].confirmOverwrite);
    EXPECT_EQ(dialogs.fileRequests[1].startName, u"journal.txt");
    EXPECT_FALSE(dialogs.fileRequests[1].confirmOverwrite);
    EXPECT_EQ(g_OpenFileName().Flags, 0x28000C);
}

TEST_F(mdlCommDialogTest, CustomColoursAreSeededKeptAndEveryDialogStartsWhite)
{
    ScriptedDialogs dialogs;
    QList<QColor> changed(16, QColor(160, 160, 160));
    changed[0] = QColor(10, 20, 30);
    dialogs.colorAnswers << ColorDialogResult{true, QColor(1, 2, 3), changed};
    const ColorChoice first = ShowColorDialog(&owner, kCenterOnScreen);
    EXPECT_EQ(first.Color, 0x030201);
    EXPECT_FALSE(first.Cancelled);
    ShowColorDialog(&owner, kCenterOnScreen);

    ASSERT_EQ(dialogs.colorRequests.size(), 2);
    const QList<QColor>& seeded = dialogs.colorRequests[0].customColors;
    ASSERT_EQ(seeded.size(), 16);
    EXPECT_EQ(seeded[0], QColor(139, 155, 184));
    EXPECT_EQ(seeded[1], QColor(188, 213, 254));
    EXPECT_EQ(seeded[7], QColor(236, 164, 236));
    for (int i = 8; i < 16; ++i)
        EXPECT_EQ(seeded[i], QColor(160, 160, 160)) << i;
    EXPECT_EQ(dialogs.colorRequests[1].customColors[0], QColor(10, 20, 30));
    EXPECT_EQ(g_CustomColors()[0], 0x1E140A);
    for (const ColorDialogRequest& request : dialogs.colorRequests)
        EXPECT_EQ(request.initial, QColor(Qt::white));
}

TEST_F(mdlCommDialogTest, ColourNumbersAreBlueGreenRed)
{
    EXPECT_EQ(ColorRefFromColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(ColorFromColorRef(0x563412), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(ColorFromColorRef(0xFFFFFF), QColor(Qt::white));
}

TEST_F(mdlCommDialogTest, DialogsCentreOnTheOwnerOrTheScreen)
{
    ScriptedDialogs dialogs;
    ShowOpenDialog(&owner, kCenterOnOwner);
    ShowSaveDialog(&owner, u"a.txt"_s, 5);
    ShowColorDialog(&owner, kCenterOnScreen);
    ShowColorDialog(&owner, kCenterOnOwner);
    const QRect screen = owner.screen()->geometry();
    EXPECT_EQ(dialogs.fileRequests[0].centreOn, owner.frameGeometry());
    EXPECT_EQ(dialogs.fileRequests[1].centreOn, screen);
    EXPECT_EQ(dialogs.colorRequests[0].centreOn, screen);
    EXPECT_EQ(dialogs.colorRequests[1].centreOn, owner.frameGeometry());
}

TEST_F(mdlCommDialogTest, RealOpenDialogIsCentredOnItsOwnerAndRefusesAMissingFile)
{
    QTemporaryDir folder;
    QFile existing(folder.filePath(u"ring.wav"_s));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    g_OpenFileName().lpstrFile = folder.filePath(u"missing.wav"_s);

    QRect dialogFrame;
    QString warning;
    WidgetShots::onNextModal([&](QWidget* modal) {
        dialogFrame = modal->frameGeometry();
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // Accepting a name that does not exist only says so.
        WidgetShots::onNextModal([&, dialog](QWidget* box) {
            if (auto* message = qobject_cast<QMessageBox*>(box))
                warning = message->text();
            box->close();
            dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(folder.filePath(u"ring.wav"_s));
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
        });
        static_cast<QDialog*>(dialog)->accept();
    });
    const SelectedFiles chosen = ShowOpenDialog(&owner, kCenterOnOwner);

    EXPECT_TRUE(warning.contains(u"missing.wav"_s)) << warning.toStdString();
    EXPECT_FALSE(chosen.Cancelled);
    EXPECT_EQ(chosen.Files, QStringList{u"ring.wav"_s});
    ASSERT_TRUE(dialogFrame.isValid());
    EXPECT_EQ(dialogFrame.topLeft(), CenteredDialogPosition(dialogFrame, owner.frameGeometry()));
}

TEST_F(mdlCommDialogTest, RealSaveDialogAsksBeforeReplacingAFile)
{
    QTemporaryDir folder;
    QFile existing(folder.filePath(u"calls.txt"_s));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    QString question;
    WidgetShots::onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(folder.filePath(u"calls.txt"_s));
        WidgetShots::onNextModal([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            question = message->text();
            message->button(QMessageBox::Yes)->click();
        });
        static_cast<QDialog*>(dialog)->accept();
    });
    g_OpenFileName().Flags = 0;
    const SelectedFiles chosen = ShowSaveDialog(&owner, u"calls.txt"_s, kCenterOnOwner);
    EXPECT_TRUE(question.contains(u"calls.txt"_s)) << question.toStdString();
    EXPECT_FALSE(chosen.Cancelled);
    EXPECT_EQ(chosen.Path + chosen.Files.value(0), folder.filePath(u"calls.txt"_s));
}

} // namespace
