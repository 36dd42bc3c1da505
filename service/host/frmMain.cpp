#include "service/host/frmMain.h"

#include "common/ChannelMessages.h"
#include "common/ProgramPath.h"
#include "common/SharedUtilities.h"
#include "common/TranslationFile.h"
#include "common/WaveFormats.h"
#include "platform/Backends.h"
#include "platform/DeviceLookups.h"
#include "platform/EspeakSpeech.h"
#include "platform/MessageControl.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/host/HostLog.h"
#include "service/host/frmTTS.h"
#include "service/host/mdlMain.h"
#include "service/line/HandlerGuard.h"
#include "service/line/Journal.h"
#include "service/line/LineGlobals.h"
#include "service/line/ServiceTranslation.h"
#include "service/line/SoundCardAlert.h"
#include "service/line/SpeechEngine.h"
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

MainFormParts MainFormParts::standard()
{
    MainFormParts parts;
    parts.makeSpeech = [](QObject* parent) -> SpeechEngine* {
        return new frmTTS(new EspeakSpeech, CreateWaveControl(nullptr), parent);
    };
    parts.makeWebServer = [](QObject* parent) -> WebServerControl* { return new WebServer(parent); };
    parts.makeLine = [](SpeechEngine& tts, QObject* parent) {
        frmLine::Controls controls;
        controls.WavePlayer = CreateWaveControl(nullptr);
        controls.Alert = new SoundCardAlert(*controls.WavePlayer, tts);
        return new frmLine(tts, controls, parent);
    };
    return parts;
}

frmMain::frmMain(MainFormParts parts, QObject* parent)
    : ServiceMainForm(parent)
    , Reg(RegistryRoutines::forProduct(QString()))
    , m_parts(std::move(parts))
{
    setObjectName(QStringLiteral("frmMain"));
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
    RunGuarded(QStringLiteral("errForm_Load"), [this] {
        udiProc = new MessageControl(this);
        uDiTTS = new MessageControl(this);
        connect(udiProc, &MessageControl::MessageArrived, this, &frmMain::udiProc_MessageArrived);
        connect(uDiTTS, &MessageControl::MessageArrived, this, &frmMain::uDiTTS_MessageArrived);
        udiProc->Channel(ChannelNumber::ProcChannel);
        uDiTTS->Channel(ChannelNumber::TtsChannel);
        Tapi1 = CreateTelephonyControl(this);
        Wave1 = CreateWaveControl(this);

        Reg = RegistryRoutines::forProduct(QString());
        Reg.setSubkey(QStringLiteral("Language"));
        if (const std::optional<QString> path
            = TranslationFile::pathFor(Reg.getString(QStringLiteral("Select"))))
            LoadServiceTranslation(*path);

        m_tts = m_parts.makeSpeech(this);
        m_tts->setObjectName(QStringLiteral("frmTTS"));
        RegisterLoadedForm(m_tts);
        InitWaveFormats();
        SetJournalSwitches(ReadJournalSwitches());
        WriteSysJournal(
            QStringLiteral("Opening ") + g_sProductTitle + QStringLiteral(" Process"), 0, QString());

        LoadWebAccessSettings();
        Reg.setSubkey(kRemoteAccess);
        if (wholeNumber(Reg, QStringLiteral("chkAllowWWWRemoteAccess")) != 0)
            loadWebServer();

        const qint32 result = Tapi1->Initialize();
        if (result != LineResult::Ok) {
            // No line engine: the process and speech channels and the web
            // server go on without it.
            WriteSysJournal(QStringLiteral("Can't Init Tapi->") + Tapi1->ErrorText(result), 0, QString());
            return;
        }
        WriteSysJournal(QStringLiteral("Init Tapi->") + Tapi1->ErrorText(LineResult::Ok), 0, QString());

        Reg.setSubkey(QStringLiteral("Properties\\TabLineStat"));
        g_sTimeOn = Reg.getString(QStringLiteral("txtTimeOn"));
        g_sTimeOff = Reg.getString(QStringLiteral("txtTimeOff"));
        m_line = m_parts.makeLine(*m_tts, this);
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
        g_nLineState = 0;
        m_line->OpenLine();
    } else if (stored == u"2") {
        g_bAutoMode = true;
        g_nLineState = 2;
        m_line->OpenLine();
    } else {
        g_nLineState = 1;
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
            Reg.setString(QStringLiteral("cmbSoundDev"), name);
        }
    }
    g_lSoundDeviceIndex = FindSoundDeviceIndex(*Wave1, name);
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
        UnregisterLoadedForm(m_tts);
        release(m_tts);
    }
    // The endpoints may be inside the handler that asked for this unload.
    release(udiProc);
    release(uDiTTS);
    release(Tapi1);
    release(Wave1);
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
    m_http = m_parts.makeWebServer(this);
    m_http->setObjectName(QStringLiteral("frmHTTP"));
    RegisterLoadedForm(m_http);
    m_http->start(Web);
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
    Reg.setString(
        QStringLiteral("chkAllowWWWRemoteAccess"), allowed ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmMain::udiProc_MessageArrived(const QString& text)
{
    RunGuarded(QStringLiteral("ErrudiProc_MessageArrived"), [this, &text] {
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
    RunGuarded(QStringLiteral("ErruDiTTS_MessageArrived"), [this, &text] {
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
            m_tts->SpeakIt(command->textToSay, g_lSoundDeviceIndex);
            break;
        case Kind::Say:
            m_tts->SpeakIt(command->textToSay, g_lSoundDeviceIndex);
            break;
        case Kind::StopSay:
            m_tts->StopSpeak();
            break;
        case Kind::MakeWave:
            // The desktop never sends it: a file may be written only into the
            // sound folder, never wherever a message says.
            if (const std::optional<QString> path = MakeWavePath(command->waveFile)) {
                m_tts->SaveTextToWav(command->textToSay, *path, g_lSoundDeviceIndex);
            } else {
                WriteSysJournal(
                    QStringLiteral("MakeWave refused: not a plain file name: ") + command->waveFile, 0,
                    QStringLiteral("uDiTTS_MessageArrived"));
            }
            break;
        }
    });
}
