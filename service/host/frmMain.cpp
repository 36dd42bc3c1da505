#include "service/host/frmMain.h"

#include "common/ChannelMessages.h"
#include "common/ProgramPath.h"
#include "common/SharedUtilities.h"
#include "common/TranslationFile.h"
#include "common/WaveFormats.h"
#include "platform/DeviceLookups.h"
#include "platform/MessageControl.h"
#include "platform/SpeechEngine.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/core/HandlerGuard.h"
#include "service/core/Journal.h"
#include "service/core/ProductTitle.h"
#include "service/core/ServiceConsole.h"
#include "service/core/ServiceTranslation.h"
#include "service/host/HostLog.h"
#include "service/host/ServiceRoot.h"
#include "service/host/mdlMain.h"
#include "service/line/frmLine.h"

namespace {

const QString kRemoteAccess = QStringLiteral("RemoteAccess\\TabInternetAccess");

// A setting read as a whole number; 0 when missing or not a number.
qint32 wholeNumber(const RegistryRoutines& reg, const QString& name)
{
    bool ok = false;
    const qint32 value = reg.getString(name).trimmed().toInt(&ok);
    return ok ? value : 0;
}

// Lets an object go once the handler that may be running inside it has
// returned; its parent takes it at the latest.
template<typename T>
void release(T*& object)
{
    if (!object)
        return;
    object->disconnect();
    object->deleteLater();
    object = nullptr;
}

} // namespace

frmMain::frmMain(std::unique_ptr<ServiceRoot> root, QObject* parent)
    : ServiceMainForm(parent)
    , Reg(RegistryRoutines::forProduct(QString()))
    , m_root(std::move(root))
    , Tapi1(m_root->Tapi1)
    , Wave1(m_root->WavePlayer)
{
    setObjectName(QStringLiteral("frmMain"));
}

Journal& frmMain::journal() const
{
    return m_root->journal;
}

frmMain::~frmMain()
{
    unload();
}

void frmMain::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    RegisterLoadedForm(this);
    RunGuarded(journal(), QStringLiteral("errForm_Load"), [this] {
        udiProc = new MessageControl(this, m_root->channels);
        uDiTTS = new MessageControl(this, m_root->channels);
        connect(udiProc, &MessageControl::MessageArrived, this, &frmMain::udiProc_MessageArrived);
        connect(uDiTTS, &MessageControl::MessageArrived, this, &frmMain::uDiTTS_MessageArrived);
        udiProc->Channel(ChannelNumber::ProcChannel);
        uDiTTS->Channel(ChannelNumber::TtsChannel);

        Reg = RegistryRoutines::forProduct(QString());
        Reg.setSubkey(QStringLiteral("Language"));
        if (const std::optional<QString> path
            = TranslationFile::pathFor(Reg.getString(QStringLiteral("Select"))))
            LoadServiceTranslation(*path);

        m_tts = m_root->tts;
        m_tts->setObjectName(QStringLiteral("frmTTS"));
        RegisterLoadedForm(m_tts);
        InitWaveFormats();
        journal().setSwitches(ReadJournalSwitches());
        journal().WriteSysJournal(
            QStringLiteral("Opening ") + ProductTitle() + QStringLiteral(" Process"), 0, QString());

        LoadWebAccessSettings();
        Reg.setSubkey(kRemoteAccess);
        if (wholeNumber(Reg, QStringLiteral("chkAllowWWWRemoteAccess")) != 0)
            loadWebServer();

        const qint32 result = Tapi1->Initialize();
        if (result != LineResult::Ok) {
            // No line engine: the process and speech channels and the web
            // server go on without it.
            journal().WriteSysJournal(
                QStringLiteral("Can't Init Tapi->") + Tapi1->ErrorText(result), 0, QString());
            ServiceConsole::say(
                QStringLiteral("no line: telephony cannot be initialised: ") + Tapi1->ErrorText(result));
            return;
        }
        journal().WriteSysJournal(
            QStringLiteral("Init Tapi->") + Tapi1->ErrorText(LineResult::Ok), 0, QString());

        Reg.setSubkey(QStringLiteral("Properties\\TabLineStat"));
        m_state.sTimeOn = Reg.getString(QStringLiteral("txtTimeOn"));
        m_state.sTimeOff = Reg.getString(QStringLiteral("txtTimeOff"));
        frmLine::Controls controls;
        controls.Tapi1 = Tapi1;
        controls.Wave1 = m_root->Wave1;
        controls.WavePlayer = m_root->WavePlayer;
        controls.MSComm1 = m_root->MSComm1;
        controls.Alert = m_root->Alert;
        controls.Recorder = m_root->Recorder;
        controls.Forwarding = m_root->Forwarding;
        controls.tts = m_tts;
        controls.channels = m_root->channels;
        m_line = new frmLine(controls, m_state, journal(), this);
        connect(m_line, &frmLine::lineOpenTried, this, [](bool open, const QString& detail) {
            ServiceConsole::say(open ? QStringLiteral("line opened: ") + detail
                                     : QStringLiteral("line not opened: ") + detail);
        });
        m_line->Form_Load();
        applyStoredLineState();
        readSoundDevice(true);
    });
    qCDebug(lcHost) << "frmMain loaded; line engine" << (m_line ? "loaded" : "not loaded");
}

void frmMain::applyStoredLineState()
{
    Reg.setSubkey(QStringLiteral("Properties\\TabLineStat"));
    const QString stored = Reg.getString(QStringLiteral("cmbLineStat"));
    if (stored == u"0") {
        m_state.nLineState = 0;
        m_line->OpenLine();
    } else if (stored == u"2") {
        m_state.bAutoMode = true;
        m_state.nLineState = 2;
        ServiceConsole::say(QStringLiteral("the line follows the daily window %1 to %2 (cmbLineStat \"2\").")
                                .arg(m_state.sTimeOn, m_state.sTimeOff));
        m_line->OpenLine();
    } else {
        m_state.nLineState = 1;
        ServiceConsole::say(QStringLiteral("line not opened: cmbLineStat is \"%1\", the line is off; "
                                           "`ringvale-chan send 308 ON` opens it.")
                                .arg(stored));
    }
}

void frmMain::readSoundDevice(bool replaceZero)
{
    Reg.setSubkey(QStringLiteral("Properties\\TabDevices"));
    QString name = Reg.getString(QStringLiteral("cmbSoundDev"));
    if (replaceZero && name == u"0") {
        // Without a readable device 0 the "0" stays, for the next start to try.
        const QString first = GetSoundDeviceName(*Wave1, 0);
        if (!first.isEmpty()) {
            name = first;
            if (!Reg.setString(QStringLiteral("cmbSoundDev"), name))
                journal().WriteSysJournal(
                    QStringLiteral("Cannot store the sound device ") + name, 0, QStringLiteral("Form_Load"));
        }
    }
    m_state.lSoundDeviceIndex = FindSoundDeviceIndex(*Wave1, name);
}

void frmMain::unload()
{
    if (!m_loaded || m_unloading)
        return;
    m_unloading = true;
    if (m_line) {
        m_line->Form_Unload();
        release(m_line);
    }
    unloadWebServer();
    if (m_tts) {
        // Silent from now on; the root keeps it for a later load.
        m_tts->StopSpeak();
        UnregisterLoadedForm(m_tts);
        m_tts = nullptr;
    }
    // The endpoints may be inside the handler that asked for this unload.
    release(udiProc);
    release(uDiTTS);
    m_loaded = false;
    m_unloading = false;
    UnregisterLoadedForm(this);
    qCDebug(lcHost) << "frmMain unloaded";
    Q_EMIT unloaded();
}

void frmMain::LoadWebAccessSettings()
{
    Web = ::LoadWebAccessSettings();
}

void frmMain::loadWebServer()
{
    if (m_http)
        return;
    m_http = m_root->makeWebServer(this);
    m_http->setObjectName(QStringLiteral("frmHTTP"));
    RegisterLoadedForm(m_http);
    m_http->start(Web);
    // The address a person opens; the server listens on every address.
    if (m_http->serverPort() == 0) {
        ServiceConsole::say(QStringLiteral("no web page: cannot listen on port %1: %2")
                                .arg(Web.RCWWWPort)
                                .arg(m_http->listenError()));
    } else {
        ServiceConsole::say(
            QStringLiteral("web page at http://localhost:%1/ (every address; %2)")
                .arg(m_http->serverPort())
                .arg(Web.RCWWWProtect == 1
                        ? QStringLiteral("user name %1, password asked").arg(Web.RCWWWUserName)
                        : QStringLiteral("no password asked")));
    }
}

void frmMain::unloadWebServer()
{
    if (!m_http)
        return;
    m_http->stop();
    UnregisterLoadedForm(m_http);
    release(m_http);
}

void frmMain::storeRemoteAccess(bool allowed)
{
    Reg.setSubkey(kRemoteAccess);
    const QString value = allowed ? QStringLiteral("1") : QStringLiteral("0");
    if (!Reg.setString(QStringLiteral("chkAllowWWWRemoteAccess"), value))
        journal().WriteSysJournal(QStringLiteral("Cannot store chkAllowWWWRemoteAccess ") + value, 0,
            QStringLiteral("udiProc_MessageArrived"));
}

void frmMain::udiProc_MessageArrived(const QString& text)
{
    RunGuarded(journal(), QStringLiteral("ErrudiProc_MessageArrived"), [this, &text] {
        if (!m_loaded || m_unloading)
            return;
        const std::optional<ChannelMessages::ProcCommand> command = ChannelMessages::parseProcCommand(text);
        if (!command)
            return;
        switch (*command) {
        case ChannelMessages::ProcCommand::Off:
            break;
        case ChannelMessages::ProcCommand::Unload:
            Q_EMIT unloadRequested();
            break;
        case ChannelMessages::ProcCommand::GetSoundIndex:
            readSoundDevice(false);
            break;
        case ChannelMessages::ProcCommand::OpenWeb:
            unloadWebServer();
            LoadWebAccessSettings();
            loadWebServer();
            storeRemoteAccess(true);
            break;
        case ChannelMessages::ProcCommand::CloseWeb:
            unloadWebServer();
            storeRemoteAccess(false);
            break;
        }
    });
}

std::optional<QString> frmMain::MakeWavePath(const QString& fileName)
{
    const bool plain = !fileName.isEmpty() && fileName != u"." && fileName != u".."
        && !fileName.contains(u'/') && !fileName.contains(u'\\');
    if (!plain)
        return std::nullopt;
    // ProgramPath refuses control characters as well.
    return ProgramPath::toNative(QString(QStringLiteral("\\Sound\\") + fileName));
}

void frmMain::uDiTTS_MessageArrived(const QString& text)
{
    RunGuarded(journal(), QStringLiteral("ErruDiTTS_MessageArrived"), [this, &text] {
        if (!m_tts || m_unloading)
            return;
        // A command with too few lines, or a number that is not one, is ignored.
        const std::optional<ChannelMessages::TtsCommand> command = ChannelMessages::parseTtsCommand(text);
        if (!command)
            return;
        using Kind = ChannelMessages::TtsCommand::Kind;
        switch (command->kind) {
        case Kind::TestTTSSay:
            m_tts->TTSSetVoice(command->voiceIndex);
            m_tts->SetRate(command->rate);
            m_tts->SpeakIt(command->textToSay, m_state.lSoundDeviceIndex);
            break;
        case Kind::Say:
            m_tts->SpeakIt(command->textToSay, m_state.lSoundDeviceIndex);
            break;
        case Kind::StopSay:
            m_tts->StopSpeak();
            break;
        case Kind::MakeWave:
            // The desktop never sends it: a file may be written only into the
            // sound folder, never wherever a message says.
            if (const std::optional<QString> path = MakeWavePath(command->waveFile)) {
                m_tts->SaveTextToWav(command->textToSay, *path, m_state.lSoundDeviceIndex);
            } else {
                journal().WriteSysJournal(
                    QStringLiteral("MakeWave refused: not a plain file name: ") + command->waveFile, 0,
                    QStringLiteral("uDiTTS_MessageArrived"));
            }
            break;
        }
    });
}
