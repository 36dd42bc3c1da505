#include "service/line/LineWaveRecorder.h"
#include "common/CallRecord.h"
#include "common/FixedRecord.h"
#include "common/WaveFile.h"
#include "tests/service/line/CallFixture.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The engine with the real recorder on the simulated line and the sink's wave
// control, which records what the line's far end says.
class Recording : public CallFixture {
protected:
    void SetUp() override
    {
        CallFixture::SetUp();
        makeRecorder
            = [](TelephonyControl& tapi, WaveControl& wave) { return new LineWaveRecorder(tapi, wave); };
    }

    QString dayFolder(const char* day = "2026/12/10") const
    {
        return env.programFolder() + u"/Data/Log/"_s + QString::fromLatin1(day) + u'/';
    }

    // A tone the far end says once it answers.
    static std::vector<qint16> tone()
    {
        std::vector<qint16> samples(1600);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = qint16(8000 * std::sin(double(i) / 5.0));
        return samples;
    }

    // Dials with the command, lets the far end answer (and, when the call is
    // recorded, say the tone and wait until it was heard), then hang up;
    // returns once the call is stored.
    void answeredCall(const QString& command, int nthCall)
    {
        const bool recorded = command.startsWith(u"CallOutRec"_s);
        line->udiIn_MessageArrived(command);
        settle();
        if (recorded)
            device()->setFarEndSound(tone());
        ASSERT_EQ(device()->farAnswer(), QString());
        settle();
        if (recorded) {
            ASSERT_TRUE(waitUntil([&] { return device()->farEndSamplesLeft() == 0; }, 5000));
        }
        ASSERT_EQ(device()->farHangup(1000), QString());
        ASSERT_TRUE(waitForIdles(nthCall));
        settle();
    }

    QStringList recorderLines() const
    {
        QStringList lines;
        for (const QString& entry : sysJournal()) {
            if (entry.contains(u"Wave.StartRecord("_s) || entry.startsWith(u"StopRecMessage"_s))
                lines << entry;
        }
        return lines;
    }

    QStringList recordings(const char* day = "2026/12/10") const
    {
        return QDir(dayFolder(day)).entryList({u"*.wav"_s}, QDir::Files);
    }
};

TEST_F(Recording, DialledCallAskedToBeRecordedIsRecordedFromItsAnswer)
{
    ASSERT_NO_FATAL_FAILURE(load());
    ASSERT_NO_FATAL_FAILURE(answeredCall(u"CallOutRec\r\n5559876"_s, 1));

    const QString name = u"UNKNOWN_5559876_12-10-2026_09-30-00.wav"_s;
    EXPECT_EQ(recordings(), QStringList{name});
    QString error;
    const std::optional<WaveFileData> file = ReadWaveFile(dayFolder() + name, &error);
    ASSERT_TRUE(file) << error.toStdString();
    EXPECT_EQ(file->format, PcmWaveFormat(8000, 1, 16));
    const std::vector<qint16> said = tone();
    const QByteArray saidBytes(reinterpret_cast<const char*>(said.data()), qsizetype(said.size() * 2));
    EXPECT_TRUE(file->data.contains(saidBytes)) << "the far end's words, " << file->data.size() << " bytes";

    const std::optional<CallRecord> stored = record(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(FixedRecord::trimBlanks(stored->CallType), u"4"_s);
    EXPECT_EQ(recordingFileName(*stored), name) << "readers find it by the stored call";
    const QString device = tapi->GetDeviceID(LineDeviceClass::WaveIn);
    EXPECT_EQ(recorderLines(),
        (QStringList{u"->Wave.StartRecord("_s + device + u")->Success(0)"_s,
            u"StopRecMessage:Wave1.StopRecord->Success(0)"_s}));
}

TEST_F(Recording, EachDialDecidesForItsOwnCallOnly)
{
    ASSERT_NO_FATAL_FAILURE(load());
    // "CallOutRec", then an incoming call, then "CallOut": only the first is
    // recorded.
    ASSERT_NO_FATAL_FAILURE(answeredCall(u"CallOutRec\r\n5550001"_s, 1));
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann"_s, u"5551234"_s, 1, 2));
    ASSERT_NO_FATAL_FAILURE(answeredCall(u"CallOut\r\n5550002"_s, 3));
    EXPECT_EQ(recordings(), QStringList{u"UNKNOWN_5550001_12-10-2026_09-30-00.wav"_s});
    // Every disconnection stops the recorder, the incoming call's and the
    // unrecorded call's too; nothing ran then, and the line says so.
    const QStringList lines = recorderLines();
    ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.at(0).startsWith(u"->Wave.StartRecord("_s));
    EXPECT_EQ(lines.at(1), u"StopRecMessage:Wave1.StopRecord->Success(0)"_s);
    EXPECT_TRUE(lines.at(2).startsWith(u"StopRecMessage:Wave1.StopRecord->"_s));
    EXPECT_NE(lines.at(2), lines.at(1)) << "no recording ran during the incoming call";
    EXPECT_EQ(lines.at(3), lines.at(2));
}

TEST_F(Recording, CallNoLongerConnectedIsHungUpAndNothingRecorded)
{
    ASSERT_NO_FATAL_FAILURE(load());
    line->udiIn_MessageArrived(u"CallOutRec\r\n5559876"_s);
    settle();
    // The connect event comes for a call the far end has not answered.
    line->StartRecordIfConnected();
    settle();
    EXPECT_TRUE(device()->actions().contains(u"drop -> 0"_s))
        << device()->actions().join(u", ").toStdString();
    EXPECT_TRUE(recordings().isEmpty());
    EXPECT_FALSE(sysJournal().join(u'\n').contains(u"Wave.StartRecord("_s));
}

TEST_F(Recording, StartThatFailsIsJournaledAndTheCallStillNamesItsFile)
{
    ASSERT_NO_FATAL_FAILURE(load());
    // A folder where the file would go: the wave control cannot write it.
    const QString name = u"UNKNOWN_5559876_12-10-2026_09-30-00.wav"_s;
    ASSERT_TRUE(QDir().mkpath(dayFolder() + name));
    line->udiIn_MessageArrived(u"CallOutRec\r\n5559876"_s);
    settle();
    ASSERT_EQ(device()->farAnswer(), QString());
    settle();
    const QString start = recorderLines().value(0);
    EXPECT_TRUE(start.startsWith(u"->Wave.StartRecord("_s)) << start.toStdString();
    EXPECT_FALSE(start.contains(u"Success"_s)) << start.toStdString();
    EXPECT_TRUE(start.endsWith(u"(0)"_s)) << start.toStdString();
    EXPECT_EQ(line->call().info.MessagePath, name);
    ASSERT_EQ(device()->farHangup(1000), QString());
    ASSERT_TRUE(waitForIdles(1));
    EXPECT_EQ(FixedRecord::trimBlanks(record(1)->CallType), u"4"_s);
}

TEST_F(Recording, CallAnsweredAfterMidnightKeepsTheDayAndNameOfItsDial)
{
    clock.setNow(QDateTime(QDate(2026, 12, 10), QTime(23, 59, 58)));
    ASSERT_NO_FATAL_FAILURE(load());
    line->udiIn_MessageArrived(u"CallOutRec\r\n5559876"_s);
    settle();
    clock.setNow(QDateTime(QDate(2026, 12, 11), QTime(0, 0, 5)));
    ASSERT_EQ(device()->farAnswer(), QString());
    settle();
    ASSERT_EQ(device()->farHangup(1000), QString());
    ASSERT_TRUE(waitForIdles(1));
    EXPECT_EQ(recordings(), QStringList{u"UNKNOWN_5559876_12-10-2026_23-59-58.wav"_s});
    EXPECT_TRUE(recordings("2026/12/11").isEmpty());
}

} // namespace
