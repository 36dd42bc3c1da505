#include "service/line/SoundCardAlert.h"

#include "common/CallTemplate.h"
#include "common/ProgramPath.h"
#include "platform/WaveControl.h"
#include "service/line/CallOptions.h"
#include "service/line/Journal.h"
#include "service/line/LineGlobals.h"
#include "service/line/SpeechEngine.h"
#include "service/line/frmLine.h"

namespace {

const QString kPlayIncomingCall = QStringLiteral("PLAY_IC");

} // namespace

SoundCardAlert::SoundCardAlert(WaveControl& WavePlayer, SpeechEngine& tts, QObject* parent)
    : IncomingCallAlert(parent)
    , m_player(WavePlayer)
    , m_tts(tts)
{
}

void SoundCardAlert::PlayIncomingCallAlert(frmLine& line)
{
    play(line.call, g_lSoundDeviceIndex);
}

void SoundCardAlert::WavePlayer_PlayDone(frmLine& line)
{
    playDone(line.call, g_lSoundDeviceIndex);
}

void SoundCardAlert::play(const CurrentCall& call, qint32 device)
{
    // The user wants alerts only while the desktop program runs, and it does not.
    if (call.settings.bDoEventsWhenGUI && !call.settings.bRun)
        return;
    if (call.options.bPlaySound_IC) {
        m_sPlayState = kPlayIncomingCall;
        const QString stored = u"\\Sound\\" + call.options.SoundFile;
        const std::optional<QString> path = ProgramPath::toNative(stored);
        // No sound started means no PlayDone, so no speech either.
        if (!path) {
            WriteSysJournal(
                QStringLiteral("The sound is not a file of the sound folder: ") + call.options.SoundFile, 0,
                QStringLiteral("PlayIncomingCallAlert"));
            return;
        }
        const qint32 result = m_player.PlayFile(*path, device, 8000);
        if (result != WaveResult::Ok)
            WriteSysJournal(QStringLiteral("The sound ") + stored + QStringLiteral(" could not be played"),
                result, QStringLiteral("PlayIncomingCallAlert:WavePlayer.PlayFile"));
    } else if (call.options.SayText) {
        speak(call, device);
    }
}

void SoundCardAlert::playDone(const CurrentCall& call, qint32 device)
{
    if (m_sPlayState == kPlayIncomingCall && call.options.SayText)
        speak(call, device);
}

void SoundCardAlert::speak(const CurrentCall& call, qint32 device)
{
    m_tts.SpeakIt(FillCallTemplate(call.options.SpeechText, call.info, TemplateRule::Service,
                      TemplateValues::MarkupEscaped),
        device);
}
