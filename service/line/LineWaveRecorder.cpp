#include "service/line/LineWaveRecorder.h"

#include "common/CallRecord.h"
#include "common/ProgramPath.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/core/CallOptions.h"
#include "service/core/HandlerGuard.h"
#include "service/core/Journal.h"
#include "service/line/LineActions.h"

LineWaveRecorder::LineWaveRecorder(TelephonyControl& Tapi1, WaveControl& Wave1, QObject* parent)
    : DialledCallRecorder(parent)
    , m_tapi(Tapi1)
    , m_wave(Wave1)
{
}

void LineWaveRecorder::StartRecordIfConnected(LineActions& line)
{
    if (m_tapi.IsCallConnected())
        StartCallRecording(line);
    else
        line.DropCall();
}

void LineWaveRecorder::StartCallRecording(LineActions& line)
{
    const CallInfo& info = line.call().info;
    // The name every reader rebuilds from the stored call.
    const QString fileName
        = recordingFileName(info.CallerName, info.CallerNumber, info.CallDate, info.CallTime);
    line.setMessagePath(fileName);
    const WaveFormat capture = TelephoneWaveFormat(1);
    CopyWaveFormat(capture, m_recordingFormat);
    const QString device = m_tapi.GetDeviceID(LineDeviceClass::WaveIn);
    // The day folder was fixed when the number was dialled.
    const std::optional<QString> folder = ProgramPath::toNative(line.call().DayFolder);
    qint32 rate = 8000;
    const qint32 result = folder
        ? m_wave.StartRecord(device, *folder + fileName, capture, m_recordingFormat, rate, true)
        : WaveResult::CannotWrite;
    line.journal().WriteSysJournal(
        QStringLiteral("Wave.StartRecord(") + device + QStringLiteral(")->") + m_wave.RecordErrorText(result),
        0, QString());
}

void LineWaveRecorder::StopRecMessage(LineActions& line)
{
    RunGuarded(line.journal(), QStringLiteral("StopRecMessage"), [&] {
        const qint32 result = m_wave.StopRecord();
        line.journal().WriteSysJournal(
            m_wave.RecordErrorText(result), result, QStringLiteral("StopRecMessage:Wave1.StopRecord"));
    });
}
