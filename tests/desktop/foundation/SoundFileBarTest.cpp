#include "desktop/foundation/SoundFileBar.h"

#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/Translation.h"
#include "platform/Backends.h"
#include "platform/WaveControl.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class SoundFileBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("RINGVALE_AUDIO_SINK", sink.path().toLocal8Bit());
        wave.reset(CreateWaveControl(nullptr));
        QDir().mkpath(SoundFileBar::soundFolder());
        bar = std::make_unique<SoundFileBar>(&list, wave.get(), &owner);
    }
    void TearDown() override
    {
        bar.reset();
        wave.reset();
        qunsetenv("RINGVALE_AUDIO_SINK");
    }
    void sounds(const QStringList& names)
    {
        for (const QString& name : names)
            ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav"),
                SoundFileBar::soundFolder() + name));
        SoundFileBar::fillList(&list, QString());
    }
    int played() const { return int(QDir(sink.path()).entryList(QDir::Files).size()); }
    QStringList soundFiles() const { return QDir(SoundFileBar::soundFolder()).entryList(QDir::Files); }

    TestEnvironment env;
    QTemporaryDir sink;
    ScriptedDialogs dialogs;
    QWidget owner;
    QComboBox list;
    std::unique_ptr<WaveControl> wave;
    std::unique_ptr<SoundFileBar> bar;
};

TEST_F(SoundFileBarTest, PlayWritesTheSelectedFileAndNothingWhilePlaying)
{
    sounds({u"a.wav"_s, u"b.wav"_s});
    list.setCurrentIndex(1);
    bar->ButtonClick(0);
    ASSERT_TRUE(waitUntil([&] { return played() == 1; }));
    EXPECT_TRUE(wave->IsPlaying());
    bar->ButtonClick(0);
    list.setCurrentIndex(0);
    bar->ButtonClick(0);
    EXPECT_EQ(played(), 1) << "a play goes on undisturbed";
    bar->ButtonClick(1);
    EXPECT_FALSE(wave->IsPlaying());
    bar->ButtonClick(0);
    EXPECT_TRUE(waitUntil([&] { return played() == 2; }));
    bar->ButtonClick(1);
}

TEST_F(SoundFileBarTest, DeleteAsksOnlyWhenNothingProtectsTheFile)
{
    struct Case {
        const char* why;
        QStringList files;
        int selected; // -1: nothing
        QString usedBy; // a contact's stored sound
        qint16 answer;
        QStringList messages;
        QStringList left;
    };
    const Case cases[] = {
        {"the only sound", {u"a.wav"_s}, 0, QString(), 6, {u"#840"_s}, {u"a.wav"_s}},
        {"nothing selected in an empty list", {}, -1, u" "_s, 6, {}, {}},
        {"nothing selected", {u"a.wav"_s, u"b.wav"_s}, -1, QString(), 6, {}, {u"a.wav"_s, u"b.wav"_s}},
        {"a contact's sound", {u"a.wav"_s, u"b.wav"_s}, 1, u"b.wav"_s, 6, {u"#842 Bob"_s},
            {u"a.wav"_s, u"b.wav"_s}},
        {"No", {u"a.wav"_s, u"b.wav"_s}, 1, QString(), 7, {u"#843 b.wav"_s}, {u"a.wav"_s, u"b.wav"_s}},
        {"Yes", {u"a.wav"_s, u"b.wav"_s, u"c.wav"_s}, 1, QString(), 6, {u"#843 b.wav"_s},
            {u"a.wav"_s, u"c.wav"_s}},
    };
    QDir().mkpath(env.programFolder() + u"/Trans"_s);
    QFile translation(env.programFolder() + u"/Trans/t.txt"_s);
    ASSERT_TRUE(translation.open(QIODevice::WriteOnly));
    for (int n = 1; n <= 1000; ++n)
        translation.write((n == 842 || n == 843 ? u"#%1 <%S>"_s : u"#%1"_s).arg(n).toUtf8() + "\r\n");
    translation.close();
    ASSERT_EQ(LoadTranslation(translation.fileName()), 0);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        QDir(SoundFileBar::soundFolder()).removeRecursively();
        QDir().mkpath(SoundFileBar::soundFolder());
        sounds(c.files);
        list.setCurrentIndex(c.selected);
        ContactRecord bob = contactAsEditorWrites(u"Bob"_s, u"200"_s);
        if (!c.usedBy.isNull()) {
            bob.EventsMode = u"3"_s;
            bob.SoundFile = c.usedBy;
        }
        writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s), bob});
        dialogs.messageRequests.clear();
        dialogs.messageAnswers = {c.answer};
        bar->ButtonClick(4);
        QStringList shown;
        for (const MessageBoxRequest& request : dialogs.messageRequests)
            shown << request.text;
        EXPECT_EQ(shown, c.messages);
        EXPECT_EQ(soundFiles(), c.left);
        EXPECT_TRUE(QDir(SoundFileBar::soundFolder()).exists());
        if (c.answer == 6 && c.left.size() < c.files.size()) {
            EXPECT_EQ(list.currentText(), c.left.value(0)) << "the first remaining file is selected";
        }
    }
    ResetTranslation();
}

TEST_F(SoundFileBarTest, AddCopiesTheChosenFileAndSelectsIt)
{
    sounds({u"a.wav"_s, u"c.wav"_s});
    QTemporaryDir elsewhere;
    const QString chosen = elsewhere.filePath(u"b.wav"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav"), chosen));
    bar->ButtonClick(3); // cancelled
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.currentText(), u"a.wav");
    dialogs.fileAnswers << ScriptedDialogs::choose(chosen);
    bar->ButtonClick(3);
    EXPECT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(dialogs.fileRequests.last().title, u"Add Sound");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.currentText(), u"b.wav");
    EXPECT_TRUE(QFile::exists(SoundFileBar::soundFolder() + u"b.wav"_s));
}

TEST_F(SoundFileBarTest, ButtonsCarryTheirTipsAndSwitchTogether)
{
    EXPECT_EQ(bar->actions().size(), 5);
    bar->setCommandsEnabled(false);
    for (int i : {0, 1, 3, 4})
        EXPECT_FALSE(bar->button(i)->isEnabled()) << i;
    EXPECT_TRUE(bar->button(2)->isSeparator());
}

} // namespace
