#include "desktop/foundation/WindowUtilities.h"
#include "common/TranslationFile.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "platform/SimulatedLines.h"
#include "platform/SimulatedTelephony.h"
#include "platform/SinkWave.h"
#include "platform/WaveControlBase.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Line devices with the capabilities a test gives them.
class TableLines final : public TelephonyControl {
public:
    explicit TableLines(QList<DeviceCaps> lines)
        : m_lines(std::move(lines))
    {
    }
    qint32 Initialize() override { return LineResult::Ok; }
    QString ErrorText(qint32) const override { return {}; }
    qint32 DeviceCount() const override { return qint32(m_lines.size()); }
    qint32 GetDeviceCaps(DeviceCaps& caps) const override
    {
        caps = m_lines.value(CurrentLine());
        return CurrentLine() < m_lines.size() ? LineResult::Ok : LineResult::BadDevice;
    }
    bool IsLineOpen() const override { return false; }
    qint32 LineOpen(qint32, qint32) override { return LineResult::Refused; }
    qint32 LineClose() override { return LineResult::Ok; }
    qint32 LineShutdown() override { return LineResult::Ok; }
    QString GetDeviceID(qint32) const override { return {}; }
    qint32 LineDial(const QString&) override { return LineResult::Refused; }
    qint32 LineAnswer() override { return LineResult::Refused; }
    qint32 LineDrop() override { return LineResult::Refused; }
    bool IsCallConnected() const override { return false; }

private:
    QList<DeviceCaps> m_lines;
};

DeviceCaps line(const QString& name, bool recommended)
{
    DeviceCaps caps;
    caps.DeviceName = name;
    caps.VoiceCapability = true;
    caps.CallerIdCapability = recommended;
    caps.TapiCapability = true;
    return caps;
}

// Sound devices with the names and play flags a test gives them.
class TableWave final : public WaveControlBase {
public:
    explicit TableWave(QList<OutDeviceCaps> devices)
        : m_devices(std::move(devices))
    {
    }
    void InitDevices() override { }
    qint32 OutDeviceCount() const override { return qint32(m_devices.size()); }
    bool GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const override
    {
        caps = m_devices.value(index);
        return index >= 0 && index < m_devices.size();
    }

protected:
    qint32 startPlayback(const WavePlayback&, QString*) override { return WaveResult::NoDevice; }
    void stopPlayback() override { }

private:
    QList<OutDeviceCaps> m_devices;
};

QStringList items(const QComboBox& combo)
{
    QStringList names;
    for (int i = 0; i < combo.count(); ++i)
        names << combo.itemText(i);
    return names;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(WindowUtilitiesTest, LineListKeepsItsSelectionWhenRebuilt)
{
    TableLines lines({line(u"Modem A"_s, true), line(u"Modem B"_s, false), line(u"Modem C"_s, true)});
    QComboBox combo;
    EXPECT_TRUE(FillModemLineCombo(lines, &combo, false));
    EXPECT_EQ(items(combo), (QStringList{u"Modem A"_s, u"Modem B"_s, u"Modem C"_s}));
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.setCurrentIndex(2);
    EXPECT_TRUE(FillModemLineCombo(lines, &combo, false));
    EXPECT_EQ(combo.currentIndex(), 2);
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(lines.CurrentLine(), 2);
}

TEST(WindowUtilitiesTest, LineListWithRecommendedOnly)
{
    const struct {
        QList<DeviceCaps> lines;
        QStringList listed;
        bool result;
    } cases[] = {
        {{line(u"A"_s, true), line(u"B"_s, false), line(u"C"_s, true)}, {u"A"_s, u"C"_s}, true},
        {{line(u"A"_s, false), line(u"B"_s, false)}, {}, false},
        {{}, {}, false},
    };
    for (const auto& c : cases) {
        TableLines lines(c.lines);
        QComboBox combo;
        combo.addItem(u"stale"_s);
        EXPECT_EQ(FillModemLineCombo(lines, &combo, true), c.result);
        EXPECT_EQ(items(combo), c.listed);
    }
}

TEST(WindowUtilitiesTest, LineListNamesTheSimulatedLines)
{
    SimulatedLines::Config config;
    config.lineCount = 2;
    SimulatedLines simulated(config);
    SimulatedTelephony tapi(&simulated);
    ASSERT_EQ(tapi.Initialize(), LineResult::Ok);
    QComboBox combo;
    EXPECT_TRUE(FillModemLineCombo(tapi, &combo, false));
    EXPECT_EQ(items(combo), (QStringList{SimulatedLines::deviceName(0), SimulatedLines::deviceName(1)}));
}

TEST(WindowUtilitiesTest, SoundDeviceListOffersPlayableDevicesAndSelectsTheFirst)
{
    const struct {
        QList<OutDeviceCaps> devices;
        QStringList listed;
        int selected;
    } cases[] = {
        {{{u"Card"_s, true}, {u"Capture only"_s, false}, {u"USB"_s, true}}, {u"Card"_s, u"USB"_s}, 0},
        {{{u"Capture only"_s, false}}, {}, -1},
        {{}, {}, -1},
    };
    for (const auto& c : cases) {
        TableWave wave(c.devices);
        QComboBox combo;
        combo.addItem(u"stale"_s);
        FillSoundDeviceCombo(wave, &combo);
        EXPECT_EQ(items(combo), c.listed);
        EXPECT_EQ(combo.currentIndex(), c.selected);
    }

    QTemporaryDir sink;
    SinkWave folderSink(sink.path());
    QComboBox combo;
    FillSoundDeviceCombo(folderSink, &combo);
    EXPECT_EQ(items(combo), QStringList{SinkWave::deviceName()});
}

TEST(WindowUtilitiesTest, FileListShowsMatchingFilesInNameOrder)
{
    QTemporaryDir folder;
    for (const QString& name : {u"ring.wav"_s, u"Bell.wav"_s, u"alarm.WAV"_s, u"notes.txt"_s})
        writeFile(folder.filePath(name), "x");
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder.wav"_s));
    const QString pattern = folder.filePath(u"*.wav"_s);

    const struct {
        QString select;
        int selected;
    } cases[] = {{QString(), 0}, {u"ring.wav"_s, 2}, {u"RING.WAV"_s, 2}, {u"gone.wav"_s, -1}};
    for (const auto& c : cases) {
        QComboBox combo;
        FillFileCombo(&combo, pattern, c.select);
        EXPECT_EQ(items(combo), (QStringList{u"alarm.WAV"_s, u"Bell.wav"_s, u"ring.wav"_s}));
        EXPECT_EQ(combo.currentIndex(), c.selected) << c.select.toStdString();
    }

    QComboBox empty;
    empty.addItem(u"stale"_s);
    FillFileCombo(&empty, folder.filePath(u"missing/*.wav"_s), QString());
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(empty.currentIndex(), -1);
}

class FileDialogUtilitiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCommonDialogs();
        owner.setGeometry(50, 50, 300, 200);
        ASSERT_TRUE(QDir(dir.path()).mkpath(u"from"_s));
        ASSERT_TRUE(QDir(dir.path()).mkpath(u"Sound"_s));
    }
    void TearDown() override { ResetCommonDialogs(); }
    QString path(const QString& relative) const { return dir.filePath(relative); }

    QTemporaryDir dir;
    QWidget owner;
    ScriptedDialogs dialogs;
};

TEST_F(FileDialogUtilitiesTest, AddSoundFileCopiesReplacesAndCancels)
{
    writeFile(path(u"from/Ring.wav"_s), "new sound");
    writeFile(path(u"Sound/Old.wav"_s), "old");
    writeFile(path(u"from/Old.wav"_s), "replacement");

    dialogs.fileAnswers << ScriptedDialogs::choose(path(u"from/Ring.wav"_s))
                        << ScriptedDialogs::choose(path(u"from/Old.wav"_s)) << FileDialogResult{};
    EXPECT_EQ(AddSoundFile(&owner, path(u"Sound/"_s)), u"Ring.wav");
    EXPECT_EQ(readFile(path(u"Sound/Ring.wav"_s)), "new sound");
    EXPECT_EQ(AddSoundFile(&owner, path(u"Sound/"_s)), u"Old.wav");
    EXPECT_EQ(readFile(path(u"Sound/Old.wav"_s)), "replacement");
    EXPECT_EQ(AddSoundFile(&owner, path(u"Sound/"_s)), QString());
    EXPECT_EQ(QDir(path(u"Sound"_s)).entryList(QDir::Files), (QStringList{u"Old.wav"_s, u"Ring.wav"_s}));

    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    const FileDialogRequest& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Open);
    EXPECT_EQ(request.title, u"Add Sound");
    EXPECT_EQ(request.nameFilters, QStringList{u"wav (*.wav)"_s});
    EXPECT_EQ(request.centreOn, owner.frameGeometry());
}

TEST_F(FileDialogUtilitiesTest, AddingTheFileThatIsAlreadyThereLeavesItWhole)
{
    writeFile(path(u"Sound/Ring.wav"_s), "the only copy");
    dialogs.fileAnswers << ScriptedDialogs::choose(path(u"Sound/Ring.wav"_s));
    EXPECT_EQ(AddSoundFile(&owner, path(u"Sound/"_s)), u"Ring.wav");
    EXPECT_EQ(readFile(path(u"Sound/Ring.wav"_s)), "the only copy");
}

TEST_F(FileDialogUtilitiesTest, AFailedCopyLeavesTheOldFileWhole)
{
    writeFile(path(u"Sound/Ring.wav"_s), "old");
    // Chosen, then gone before it could be copied.
    dialogs.fileAnswers << ScriptedDialogs::choose(path(u"from/Ring.wav"_s));
    EXPECT_EQ(AddSoundFile(&owner, path(u"Sound/"_s)), QString());
    EXPECT_EQ(readFile(path(u"Sound/Ring.wav"_s)), "old");
    EXPECT_FALSE(CopyFileReplacing(path(u"from"_s), path(u"Sound/Ring.wav"_s))); // a folder
    EXPECT_EQ(readFile(path(u"Sound/Ring.wav"_s)), "old");
    EXPECT_EQ(QDir(path(u"Sound"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"Ring.wav"_s});
}

TEST_F(FileDialogUtilitiesTest, SaveFileAsCopiesAfterAskingAndProposesTheSourceName)
{
    writeFile(path(u"from/Call.wav"_s), "recording");
    writeFile(path(u"Sound/Taken.wav"_s), "older");
    dialogs.fileAnswers << ScriptedDialogs::choose(path(u"Sound/Copy.wav"_s))
                        << ScriptedDialogs::choose(path(u"Sound/Taken.wav"_s)) << FileDialogResult{};
    SaveFileAs(path(u"from/Call.wav"_s), &owner, u"wav"_s, false);
    SaveFileAs(path(u"from/Call.wav"_s), &owner, u"wav"_s, false);
    SaveFileAs(path(u"from/Call.wav"_s), &owner, u"wav"_s, false);
    EXPECT_EQ(readFile(path(u"Sound/Copy.wav"_s)), "recording");
    EXPECT_EQ(readFile(path(u"Sound/Taken.wav"_s)), "recording");
    EXPECT_EQ(QDir(path(u"Sound"_s)).entryList(QDir::Files), (QStringList{u"Copy.wav"_s, u"Taken.wav"_s}));

    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    const FileDialogRequest& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Save);
    EXPECT_EQ(request.title, u"Save");
    EXPECT_EQ(request.startName, u"Call.wav");
    EXPECT_EQ(request.nameFilters, QStringList{u"wav (*.wav)"_s});
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.centreOn, owner.frameGeometry());
}

TEST_F(FileDialogUtilitiesTest, SaveFileAsOntoItselfLeavesTheFileAsItIs)
{
    writeFile(path(u"from/Call.wav"_s), "recording");
    dialogs.fileAnswers << ScriptedDialogs::choose(path(u"from/Call.wav"_s));
    SaveFileAs(path(u"from/Call.wav"_s), &owner, u"wav"_s, false);
    EXPECT_EQ(readFile(path(u"from/Call.wav"_s)), "recording");
}

TEST_F(FileDialogUtilitiesTest, SaveFileAsCreateEmptyMakesTheNamePlusTxtAndCopiesNothing)
{
    writeFile(path(u"from/Journal"_s), "lines");
    writeFile(path(u"Sound/kept.txt"_s), "already here");
    dialogs.fileAnswers << ScriptedDialogs::choose(path(u"Sound/new"_s))
                        << ScriptedDialogs::choose(path(u"Sound/kept"_s));
    SaveFileAs(path(u"from/Journal"_s), &owner, u"txt"_s, true);
    SaveFileAs(path(u"from/Journal"_s), &owner, u"txt"_s, true);
    EXPECT_EQ(readFile(path(u"Sound/new.txt"_s)), QByteArray());
    EXPECT_EQ(readFile(path(u"Sound/kept.txt"_s)), "already here");
    EXPECT_FALSE(QFile::exists(path(u"Sound/new"_s)));
    EXPECT_FALSE(dialogs.fileRequests[0].confirmOverwrite);
}

TEST_F(FileDialogUtilitiesTest, SaveFileAsWithNoSourceShowsNothing)
{
    SaveFileAs(QString(), &owner, u"wav"_s, false);
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
}

TEST(WindowUtilitiesTest, ShowMessageAnswersAndReadsRightToLeftWithTheTranslation)
{
    TestEnvironment env;
    ResetTranslation();
    ScriptedDialogs dialogs;
    dialogs.messageAnswers << 1 << 6 << 7;
    EXPECT_EQ(ShowMessage(u"Saved."_s, false), 1);
    EXPECT_EQ(ShowMessage(u"Delete?"_s, true), 6);
    EXPECT_EQ(ShowMessage(u"Delete?"_s, true), 7);
    ASSERT_EQ(dialogs.messageRequests.size(), 3);
    EXPECT_EQ(dialogs.messageRequests[0].title, u"Ringvale");
    EXPECT_EQ(dialogs.messageRequests[0].text, u"Saved.");
    EXPECT_FALSE(dialogs.messageRequests[0].yesNo);
    EXPECT_TRUE(dialogs.messageRequests[1].yesNo);
    EXPECT_FALSE(dialogs.messageRequests[1].rightToLeft);

    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
    const QString hebrew = g_sTransPath() + u"Hebrew.txt"_s;
    ASSERT_TRUE(TranslationFile::write(hebrew, TranslationFile::newTranslation(true)));
    ASSERT_EQ(LoadTranslation(hebrew), 0);
    ShowMessage(u"שלום"_s, false);
    EXPECT_TRUE(dialogs.messageRequests.last().rightToLeft);
    ResetTranslation();
}

TEST(WindowUtilitiesTest, RegionIsTheUnionOfTheContainersOwnControls)
{
    QWidget form;
    form.resize(300, 200);
    auto* panel = new QWidget(&form);
    panel->setGeometry(10, 10, 200, 150);
    auto* a = new QWidget(panel);
    a->setGeometry(0, 0, 50, 20);
    auto* b = new QWidget(panel);
    b->setGeometry(40, 10, 30, 40);
    auto* inner = new QWidget(b); // inside b: no part of panel's shape
    inner->setGeometry(0, 0, 5, 5);

    SetFormRegionFromContainer(panel);
    EXPECT_EQ(panel->mask(), QRegion(0, 0, 50, 20) + QRegion(40, 10, 30, 40));
    SetFormRegionFromContainer(&form);
    EXPECT_EQ(form.mask(), QRegion(10, 10, 200, 150));

    delete a;
    delete b;
    SetFormRegionFromContainer(panel);
    EXPECT_TRUE(panel->mask().isEmpty());
    SetFormRegionFromContainer(nullptr);
}

} // namespace
