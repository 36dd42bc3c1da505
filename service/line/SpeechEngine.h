#pragma once

#include <QObject>
#include <QString>

// The service's speech engine (frmTTS): one voice that speaks on the sound
// card and can speak into a wave file. The main form owns it; the line engine
// sets its voice and rate and speaks the alerts through it.
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

// Holds the speech engine's place until the real one exists: says nothing.
class SpeechStandIn final : public SpeechEngine {
    Q_OBJECT
public:
    using SpeechEngine::SpeechEngine;

    void SpeakIt(const QString&, qint32) override { }
    void SetRate(qint32) override { }
    void TTSSetVoice(qint32) override { }
    void StopSpeak() override { }
    void SaveTextToWav(const QString&, const QString&, qint32) override { }
};
