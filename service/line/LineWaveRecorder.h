#pragma once

#include "common/WaveFormats.h"
#include "service/line/DialledCallRecorder.h"

class TelephonyControl;
class WaveControl;

// Records a dialled call from the line's wave input into its day folder, in
// 16-bit PCM mono at 8000 Hz, from its connection until it is disconnected.
class LineWaveRecorder final : public DialledCallRecorder {
    Q_OBJECT
public:
    // Tapi1: the line; Wave1: the line's own wave control.
    LineWaveRecorder(TelephonyControl& Tapi1, WaveControl& Wave1, QObject* parent = nullptr);

    void StartRecordIfConnected(LineActions& line) override;
    void StopRecMessage(LineActions& line) override;
    void StartCallRecording(LineActions& line);

private:
    TelephonyControl& m_tapi;
    WaveControl& m_wave;
    WaveFormat m_recordingFormat;
};
