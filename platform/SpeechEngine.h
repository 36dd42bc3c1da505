#pragma once

#include <QObject>
#include <QString>

// The service's speech engine (frmTTS): one voice that speaks on the sound
// card and can speak into a wave file. The service makes one; the main form
// speaks for channel 306 through it, the line engine sets its voice and rate,
// and the alerts speak through it.
class SpeechEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Speaks asynchronously on the sound device, cutting off what is spoken.
    virtual void SpeakIt(const QString& sToSay, qint32 DeviceIndex) = 0;
    virtual void SetRate(qint32 nVal) = 0;
    // Item lVoice of the installed voices.
    virtual void TTSSetVoice(qint32 lVoice) = 0;
    virtual void StopSpeak() = 0;
    // Speaks sText into the wave file sFileToSave (a native path), then goes
    // back to the sound device. An empty text makes no file.
    virtual void SaveTextToWav(const QString& sText, const QString& sFileToSave, qint32 lDeviceIndex) = 0;
};
