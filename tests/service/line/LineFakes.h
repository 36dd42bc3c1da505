#pragma once

#include "platform/SpeechEngine.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/core/CallOptions.h"
#include "service/line/CallForwarding.h"
#include "service/line/DialledCallRecorder.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineActions.h"
#include "service/line/ModemSerialPath.h"
#include "service/line/frmLine.h"

#include <QStringList>

#include <gtest/gtest.h>

// Gives the engine's controls an owner, as the service's root does; the
// engine owns none of them. The line device is initialised, as the main form
// does before it makes the engine.
inline void adoptControls(const frmLine::Controls& controls, QObject& owner)
{
    const QList<QObject*> objects = {controls.Tapi1, controls.Wave1, controls.WavePlayer, controls.MSComm1,
        controls.Alert, controls.Recorder, controls.Forwarding};
    for (QObject* object : objects) {
        if (object)
            object->setParent(&owner);
    }
    if (controls.Tapi1) {
        EXPECT_EQ(controls.Tapi1->Initialize(), LineResult::Ok);
    }
}

// The engine's own state, for the cases no fake can bring about.
class frmLineProbe {
public:
    explicit frmLineProbe(frmLine& line)
        : m_line(line)
    {
    }
    void setInCall(bool incoming, bool dialled)
    {
        m_line.bInCall = incoming;
        m_line.bDialledCall = dialled;
    }
    bool beepPlaying() const { return m_line.bBeepPlaying; }
    int autoModeInterval() const { return m_line.tmrAutoMode.interval(); }

private:
    frmLine& m_line;
};

// Speech that notes what it is asked to say, the voice and rate it is given
// and when it is stopped.
class NotedSpeech final : public SpeechEngine {
public:
    void SpeakIt(const QString& sToSay, qint32) override { said.append(sToSay); }
    void SetRate(qint32 nVal) override { rates.append(nVal); }
    void TTSSetVoice(qint32 lVoice) override { voices.append(lVoice); }
    void StopSpeak() override { ++stops; }
    void SaveTextToWav(const QString&, const QString&, qint32) override { }

    QStringList said;
    QList<qint32> voices;
    QList<qint32> rates;
    int stops = 0;
};

// Stands for the modem's serial path, which comes later: the port opens or
// not as the test says, and the hand-overs of the line are noted.
class ModemPort final : public ModemSerialPath {
public:
    void InitVals() override { ++initVals; }
    bool CommConnect(const QString& port, const QString& atCommands) override
    {
        connects.append(port + u'|' + atCommands);
        m_open = opens;
        return m_open;
    }
    void CommDisconnect() override
    {
        ++disconnects;
        m_open = false;
    }
    bool PortOpen() const override { return m_open; }
    qint32 NumOfRing() const override { return rings; }
    void StopIdleTimer() override { steps.append(QStringLiteral("StopIdleTimer")); }
    void StartIdleTimer() override { steps.append(QStringLiteral("StartIdleTimer")); }
    void GetTapiFromComm(LineActions&) override
    {
        steps.append(QStringLiteral("GetTapiFromComm"));
        m_open = false;
    }
    void CommCloseTapi(LineActions&) override { steps.append(QStringLiteral("CommCloseTapi")); }

    bool opens = true;
    qint32 rings = 0;
    int initVals = 0;
    int disconnects = 0;
    QStringList connects;
    QStringList steps;

private:
    bool m_open = false;
};

// The parts that come later, noting when the line engine calls them and what
// the call looked like at that moment.
class NotedParts {
public:
    QStringList steps;
};

class NotedAlert final : public IncomingCallAlert {
public:
    explicit NotedAlert(NotedParts& parts)
        : m_parts(parts)
    {
    }
    void PlayIncomingCallAlert(LineActions& line) override
    {
        m_parts.steps.append(
            QStringLiteral("alert:") + line.call().info.CallerName + u'/' + line.call().info.ContactName);
    }
    void WavePlayer_PlayDone(LineActions&) override { m_parts.steps.append(QStringLiteral("alert done")); }

private:
    NotedParts& m_parts;
};

class NotedRecorder final : public DialledCallRecorder {
public:
    explicit NotedRecorder(NotedParts& parts)
        : m_parts(parts)
    {
    }
    void StartRecordIfConnected(LineActions&) override { m_parts.steps.append(QStringLiteral("record")); }
    void StopRecMessage(LineActions&) override { m_parts.steps.append(QStringLiteral("stop recording")); }

private:
    NotedParts& m_parts;
};

class NotedForwarding final : public CallForwarding {
public:
    explicit NotedForwarding(NotedParts& parts)
        : m_parts(parts)
    {
    }
    void SendCallByMail(LineActions& line) override
    {
        m_parts.steps.append(QStringLiteral("mail:") + line.call().info.CallType);
    }
    void SendToApp(LineActions& line) override
    {
        m_parts.steps.append(QStringLiteral("app:") + line.call().info.CallType);
    }

private:
    NotedParts& m_parts;
};
