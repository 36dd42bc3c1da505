#include "service/host/ServiceRoot.h"

#include "platform/Backends.h"
#include "platform/EspeakSpeech.h"
#include "platform/ProgramLauncher.h"
#include "platform/SerialPort.h"
#include "platform/SmtpMailControl.h"
#include "platform/SpeechEngine.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/host/WebServerControl.h"
#include "service/host/frmTTS.h"
#include "service/line/DialledCallRecorder.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineWaveRecorder.h"
#include "service/line/MailAndAppForwarding.h"
#include "service/line/ModemPath.h"
#include "service/line/SoundCardAlert.h"

namespace {

template<typename T>
T* adopt(T* given, QObject* owner)
{
    if (given)
        given->setParent(owner);
    return given;
}

} // namespace

ServiceRoot::ServiceRoot()
    : ServiceRoot(Backends())
{
}

ServiceRoot::ServiceRoot(Backends given)
    : QObject(nullptr)
    , Tapi1(given.Tapi1 ? adopt(given.Tapi1, this) : CreateTelephonyControl(this))
    , Wave1(given.Wave1 ? adopt(given.Wave1, this) : CreateWaveControl(this))
    , WavePlayer(given.WavePlayer ? adopt(given.WavePlayer, this) : CreateWaveControl(this))
    , tts(given.tts ? adopt(given.tts, this)
                    : new frmTTS(new EspeakSpeech, CreateWaveControl(nullptr), journal, this))
    , mail(given.mail ? adopt(given.mail, this) : CreateSmtpMailControl(this))
    , launcher(given.launcher ? std::move(given.launcher) : CreateProgramLauncher())
    , serialPort(given.serialPort ? adopt(given.serialPort, this) : CreateSerialPort(this))
    , MSComm1(new ModemPath(*serialPort, *Tapi1, journal, this))
    , Alert(new SoundCardAlert(*WavePlayer, *tts, this))
    , Recorder(new LineWaveRecorder(*Tapi1, *Wave1, this))
    , Forwarding(new MailAndAppForwarding(*mail, *launcher, journal, this))
    , channels(given.channels)
    , m_makeWebServer(given.makeWebServer)
{
    if (!m_makeWebServer) {
        m_makeWebServer = [](const Journal& journal, QObject* parent) -> WebServerControl* {
            return new WebServer(journal, parent);
        };
    }
}

ServiceRoot::~ServiceRoot() = default;

WebServerControl* ServiceRoot::makeWebServer(QObject* parent) const
{
    return m_makeWebServer(journal, parent);
}
