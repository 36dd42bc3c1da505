#include "service/line/SoundCardAlert.h"

#include "common/CallTemplate.h"
#include "common/ProgramPath.h"
#include "platform/EspeakSpeech.h"
#include "platform/SpeechEngine.h"
#include "platform/WaveControl.h"
#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/line/LineActions.h"
#include "service/line/LineState.h"

namespace {

const QString kPlayIncomingCall = QStringLiteral("PLAY_IC");

} // namespace

SoundCardAlert::SoundCardAlert(WaveControl& WavePlayer, SpeechEngine& tts, QObject* parent)
    : IncomingCallAlert(parent)
    , m_player(WavePlayer)
    , m_tts(tts)
{
}

void SoundCardAlert::PlayIncomingCallAlert(LineActions& line)
{
    const CurrentCall& call = line.call();
    // The user wants alerts only while the desktop program runs, and it does not.
    if (call.settings.bDoEventsWhenGUI && !call.settings.bRun)
        return;
    if (call.options.bPlaySound_IC) {
        m_sPlayState = kPlayIncomingCall;
        const QString stored = u"\\Sound\\" + call.options.SoundFile;
        const std::optional<QString> path = ProgramPath::toNative(stored);
        // No sound started means no PlayDone, so no speech either; the state
        // goes, or the end of a later sound would start this call's speech.
        if (!path) {
            m_sPlayState.clear();
            line.journal().WriteSysJournal(
                QStringLiteral("The sound is not a file of the sound folder: ") + call.options.SoundFile, 0,
                QStringLiteral("PlayIncomingCallAlert"));
            return;
        }
        const qint32 result = m_player.PlayFile(*path, line.state().lSoundDeviceIndex, 8000);
        if (result != WaveResult::Ok) {
            m_sPlayState.clear();
            line.journal().WriteSysJournal(
                QStringLiteral("The sound ") + stored + QStringLiteral(" could not be played"), result,
                QStringLiteral("PlayIncomingCallAlert:WavePlayer.PlayFile"));
        }
    } else if (call.options.SayText) {
        speak(line);
    }
}

void SoundCardAlert::WavePlayer_PlayDone(LineActions& line)
{
    // Only the end of the alert's own sound speaks, once.
    const bool alertSound = m_sPlayState == kPlayIncomingCall;
    m_sPlayState.clear();
    if (alertSound && line.call().options.SayText)
        speak(line);
}

void SoundCardAlert::speak(LineActions& line)
{
    const CurrentCall& call = line.call();
    QString text = FillCallTemplate(
        call.options.SpeechText, call.info, TemplateRule::Service, TemplateValues::MarkupEscaped);
    // A template that is no well-formed markup is read as plain text: its
    // values go in as they are, or "&" would be spoken as "and amp" (unless
    // they would make it markup, which a caller must never steer).
    if (!IsWellFormedSpeechMarkup(text)) {
        const QString plain = FillCallTemplate(
            call.options.SpeechText, call.info, TemplateRule::Service, TemplateValues::Plain);
        if (!IsWellFormedSpeechMarkup(plain))
            text = plain;
    }
    m_tts.SpeakIt(text, line.state().lSoundDeviceIndex);
}
