#pragma once

#include "service/line/CallForwarding.h"
#include "service/line/DialledCallRecorder.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineGlobals.h"
#include "service/line/ModemSerialPath.h"
#include "service/line/frmLine.h"

#include <QStringList>

// The line engine's globals as a fresh service has them: line closed, no
// auto mode, modem mode until a line is opened, no port yet.
inline void resetLineGlobals()
{
    g_nLineState = 1;
    g_bAutoMode = false;
    g_sTimeOn.clear();
    g_sTimeOff.clear();
    g_bCallerIdFromTapi = false;
    g_lCommPort.clear();
    g_sATCommands.clear();
    g_lSoundDeviceIndex = 0;
}

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
    void GetTapiFromComm(frmLine&) override
    {
        steps.append(QStringLiteral("GetTapiFromComm"));
        m_open = false;
    }
    void CommCloseTapi(frmLine&) override { steps.append(QStringLiteral("CommCloseTapi")); }

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
    void PlayIncomingCallAlert(frmLine& line) override
    {
        m_parts.steps.append(
            QStringLiteral("alert:") + line.call.info.CallerName + u'/' + line.call.info.ContactName);
    }
    void WavePlayer_PlayDone(frmLine&) override { m_parts.steps.append(QStringLiteral("alert done")); }

private:
    NotedParts& m_parts;
};

class NotedRecorder final : public DialledCallRecorder {
public:
    explicit NotedRecorder(NotedParts& parts)
        : m_parts(parts)
    {
    }
    void StartRecordIfConnected(frmLine&) override { m_parts.steps.append(QStringLiteral("record")); }
    void StopRecMessage(frmLine&) override { m_parts.steps.append(QStringLiteral("stop recording")); }

private:
    NotedParts& m_parts;
};

class NotedForwarding final : public CallForwarding {
public:
    explicit NotedForwarding(NotedParts& parts)
        : m_parts(parts)
    {
    }
    void SendCallByMail(frmLine& line) override
    {
        m_parts.steps.append(QStringLiteral("mail:") + line.call.info.CallType);
    }
    void SendToApp(frmLine& line) override
    {
        m_parts.steps.append(QStringLiteral("app:") + line.call.info.CallType);
    }

private:
    NotedParts& m_parts;
};
