#include "platform/SimulatedLineDevice.h"

#include "common/WaveFile.h"

#include <algorithm>

namespace {

// The far end's sound is held whole; half an hour of it is plenty.
constexpr qint64 kMaxFarEndFileBytes = 64 * 1024 * 1024;
// What the line holds of it after conversion: a file's declared rate decides
// how many line samples its bytes become, so a very low one must not blow up.
constexpr qint64 kMaxFarEndSamples = kMaxFarEndFileBytes / 2;
constexpr int kMaxActions = 200;

QString stateName(SimulatedLineDevice::CallState state)
{
    switch (state) {
    case SimulatedLineDevice::CallState::Idle:
        return QStringLiteral("idle");
    case SimulatedLineDevice::CallState::Offering:
        return QStringLiteral("offering");
    case SimulatedLineDevice::CallState::Dialing:
        return QStringLiteral("dialling");
    case SimulatedLineDevice::CallState::Connected:
        return QStringLiteral("connected");
    case SimulatedLineDevice::CallState::Disconnected:
        return QStringLiteral("disconnected");
    }
    return {};
}

QString describe(const SimulatedLineEvent& event)
{
    switch (event.kind) {
    case SimulatedLineEvent::Dialing:
        return QStringLiteral("dialling ") + SimulatedLineQuoted(event.number);
    case SimulatedLineEvent::InComeCall:
        return QStringLiteral("incoming call");
    case SimulatedLineEvent::Ring:
        return QStringLiteral("ring ") + QString::number(event.count);
    case SimulatedLineEvent::CallerID:
        return QStringLiteral("caller ID: name ") + SimulatedLineQuoted(event.name)
            + QStringLiteral(", number ") + SimulatedLineQuoted(event.number);
    case SimulatedLineEvent::Connected:
        return QStringLiteral("connected");
    case SimulatedLineEvent::Disconnected:
        return QStringLiteral("disconnected");
    case SimulatedLineEvent::Idle:
        return QStringLiteral("idle");
    }
    return {};
}

} // namespace

QString SimulatedLineQuoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

const QStringList& SimulatedFailures::names()
{
    static const QStringList all = {QStringLiteral("initialize"), QStringLiteral("open"),
        QStringLiteral("close"), QStringLiteral("drop"), QStringLiteral("dial"), QStringLiteral("answer")};
    return all;
}

void SimulatedFailures::set(const QString& what, int times)
{
    if (times == 0)
        m_remaining.remove(what);
    else
        m_remaining.insert(what, times < 0 ? -1 : times);
}

bool SimulatedFailures::consume(const QString& what)
{
    const auto it = m_remaining.find(what);
    if (it == m_remaining.end())
        return false;
    if (it.value() > 0 && --it.value() == 0)
        m_remaining.erase(it);
    return true;
}

QString SimulatedFailures::describe() const
{
    QStringList parts;
    for (auto it = m_remaining.cbegin(); it != m_remaining.cend(); ++it)
        parts << (it.value() < 0 ? it.key() : it.key() + QStringLiteral(" (%1 more)").arg(it.value()));
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

SimulatedLineDevice::SimulatedLineDevice(
    int index, const QString& name, const QString& serialPort, QObject* parent)
    : QObject(parent)
    , m_index(index)
    , m_serialPort(serialPort)
{
    m_caps.DeviceName = name;
    m_caps.VoiceCapability = true;
    m_caps.CallerIdCapability = true;
    m_caps.TapiCapability = true;
    m_clearTimer.setSingleShot(true);
    connect(&m_clearTimer, &QTimer::timeout, this, [this] {
        if (m_state == CallState::Disconnected)
            goIdle();
    });
    m_scriptTimer.setSingleShot(true);
    connect(&m_scriptTimer, &QTimer::timeout, this, &SimulatedLineDevice::runScriptStep);
    LineAudio::registerSource(waveInDevice(), this);
}

SimulatedLineDevice::~SimulatedLineDevice()
{
    LineAudio::unregisterSource(waveInDevice(), this);
}

QString SimulatedLineDevice::waveInDevice() const
{
    return QStringLiteral("simline:") + QString::number(m_index);
}

void SimulatedLineDevice::raise(const SimulatedLineEvent& event)
{
    emit progress(describe(event));
    emit lineEvent(event);
}

QString SimulatedLineDevice::farOffer(const QString& number, const QString& name)
{
    if (hasCall())
        return QStringLiteral("a call is already on the line (%1)").arg(stateName(m_state));
    m_state = CallState::Offering;
    m_incoming = true;
    m_number = number;
    m_name = name;
    m_rings = 0;
    if (!isOpen())
        emit progress(QStringLiteral("note: the line is not open, nobody is told of this call"));
    raise({SimulatedLineEvent::InComeCall, 0, name, number});
    return {};
}

QString SimulatedLineDevice::farRing()
{
    if (m_state != CallState::Offering)
        return QStringLiteral("no call is being offered (%1)").arg(stateName(m_state));
    raise({SimulatedLineEvent::Ring, ++m_rings, {}, {}});
    return {};
}

QString SimulatedLineDevice::farCallerId(const QString& name, const QString& number)
{
    if (m_state != CallState::Offering && m_state != CallState::Connected)
        return QStringLiteral("no call to give a caller ID for (%1)").arg(stateName(m_state));
    m_name = name;
    m_number = number;
    raise({SimulatedLineEvent::CallerID, 0, name, number});
    return {};
}

QString SimulatedLineDevice::farHangup(int clearDelayMs)
{
    if (m_state == CallState::Idle || m_state == CallState::Disconnected)
        return QStringLiteral("no call to hang up (%1)").arg(stateName(m_state));
    m_state = CallState::Disconnected;
    raise({SimulatedLineEvent::Disconnected, 0, {}, {}});
    // The exchange clears the call itself when the line does not drop it.
    m_clearTimer.start(std::max(0, clearDelayMs));
    return {};
}

QString SimulatedLineDevice::farAnswer()
{
    if (m_state != CallState::Dialing)
        return QStringLiteral("no dialled call to answer (%1)").arg(stateName(m_state));
    m_state = CallState::Connected;
    raise({SimulatedLineEvent::Connected, 0, {}, {}});
    return {};
}

QString SimulatedLineDevice::startCall(const SimulatedCallScript& script, const SimulatedLinePacing& pacing)
{
    const int hangupAfter = script.hangupAfterRing < 0 ? script.rings : script.hangupAfterRing;
    if (script.rings < 0 || script.cidAfterRing < 0 || hangupAfter < 0)
        return QStringLiteral("ring counts cannot be negative");
    const QString refused = farOffer(script.number, script.name);
    if (!refused.isEmpty())
        return refused;
    const qint64 interval = std::max(1, pacing.ringIntervalMs);
    auto ringAt = [interval](int ring) { return interval / 3 + qint64(ring - 1) * interval; };
    m_script.clear();
    for (int ring = 1; ring <= std::min(script.rings, hangupAfter); ++ring)
        m_script.append({ringAt(ring), SimulatedLineEvent::Ring});
    if (script.cidAfterRing <= hangupAfter)
        m_script.append({script.cidAfterRing == 0 ? interval / 6 : ringAt(script.cidAfterRing) + interval / 2,
            SimulatedLineEvent::CallerID});
    m_script.append({hangupAfter == 0 ? interval / 3 : ringAt(hangupAfter) + interval * 2 / 3,
        SimulatedLineEvent::Disconnected});
    std::stable_sort(m_script.begin(), m_script.end(),
        [](const ScriptStep& a, const ScriptStep& b) { return a.atMs < b.atMs; });
    m_scriptCall = script;
    m_scriptClearDelayMs = pacing.clearDelayMs;
    m_scriptClock.start();
    m_scriptTimer.start(int(m_script.first().atMs));
    return {};
}

void SimulatedLineDevice::runScriptStep()
{
    while (!m_script.isEmpty() && m_script.first().atMs <= m_scriptClock.elapsed()) {
        const ScriptStep step = m_script.takeFirst();
        // Steps that no longer fit (the call was answered or dropped) are
        // skipped; the far end still hangs up at its time.
        switch (step.kind) {
        case SimulatedLineEvent::Ring:
            if (m_state == CallState::Offering)
                farRing();
            break;
        case SimulatedLineEvent::CallerID:
            if (m_state == CallState::Offering || m_state == CallState::Connected)
                farCallerId(m_scriptCall.name, m_scriptCall.number);
            break;
        default:
            if (m_state == CallState::Offering || m_state == CallState::Connected)
                farHangup(m_scriptClearDelayMs);
            break;
        }
        if (!hasCall()) {
            stopScript();
            return;
        }
    }
    if (!m_script.isEmpty())
        m_scriptTimer.start(int(std::max<qint64>(0, m_script.first().atMs - m_scriptClock.elapsed())));
}

void SimulatedLineDevice::stopScript()
{
    m_scriptTimer.stop();
    m_script.clear();
}

void SimulatedLineDevice::setFarEndSound(std::vector<qint16> samples)
{
    m_farEnd = std::move(samples);
    m_farEndPosition = 0;
}

std::optional<std::vector<qint16>> SimulatedLineDevice::loadFarEndSound(const QString& path, QString* error)
{
    std::optional<PcmSound> sound = LoadWaveSound(path, error, kMaxFarEndFileBytes);
    if (!sound)
        return std::nullopt;
    if (sound->frames() * LineAudio::SamplesPerSec / sound->samplesPerSec > kMaxFarEndSamples) {
        if (error)
            *error = path + QStringLiteral(": the sound is too long for the line");
        return std::nullopt;
    }
    PcmSound line = ConvertSound(*sound, LineAudio::SamplesPerSec, 1);
    return std::move(line.samples);
}

qint32 SimulatedLineDevice::answer()
{
    if (m_state != CallState::Offering)
        return LineResult::NotOffered;
    m_state = CallState::Connected;
    emit progress(QStringLiteral("the line answered"));
    raise({SimulatedLineEvent::Connected, 0, {}, {}});
    return LineResult::Ok;
}

qint32 SimulatedLineDevice::drop()
{
    if (!hasCall())
        return LineResult::NoCall;
    emit progress(QStringLiteral("the line dropped the call"));
    goIdle();
    return LineResult::Ok;
}

qint32 SimulatedLineDevice::dial(const QString& number)
{
    if (hasCall())
        return LineResult::CallInProgress;
    m_state = CallState::Dialing;
    m_incoming = false;
    m_number = number;
    m_name.clear();
    m_rings = 0;
    raise({SimulatedLineEvent::Dialing, 0, {}, number});
    return LineResult::Ok;
}

void SimulatedLineDevice::goIdle()
{
    m_clearTimer.stop();
    stopScript();
    m_state = CallState::Idle;
    m_farEnd.clear();
    m_farEndPosition = 0;
    raise({SimulatedLineEvent::Idle, 0, {}, {}});
    emit callEnded();
}

void SimulatedLineDevice::attach(const void* opener, qint32 privileges, qint32 mediaModes)
{
    m_openers.insert(opener, {privileges, mediaModes});
    emit openChanged();
}

void SimulatedLineDevice::detach(const void* opener)
{
    if (m_openers.remove(opener) > 0)
        emit openChanged();
}

void SimulatedLineDevice::noteAction(const QString& text)
{
    m_actions.append(text);
    while (m_actions.size() > kMaxActions)
        m_actions.removeFirst();
    emit progress(QStringLiteral("the line was asked: ") + text);
}

QString SimulatedLineDevice::statusText() const
{
    QString out = QStringLiteral("line %1: %2\n").arg(m_index).arg(m_caps.DeviceName);
    if (m_openers.isEmpty()) {
        out += QStringLiteral("  open: no\n");
    } else {
        for (const Opened& opened : m_openers)
            out += QStringLiteral("  open: yes, privileges %1, media modes %2\n")
                       .arg(opened.privileges)
                       .arg(opened.mediaModes);
    }
    out += QStringLiteral("  call: ") + stateName(m_state);
    if (hasCall()) {
        out += m_incoming ? QStringLiteral(", incoming, number ") : QStringLiteral(", dialled, number ");
        out += SimulatedLineQuoted(m_number);
        if (m_incoming)
            out += QStringLiteral(", name %1, rings %2").arg(SimulatedLineQuoted(m_name)).arg(m_rings);
    }
    out += u'\n';
    out += QStringLiteral("  serial port: ")
        + (m_serialPort.isEmpty() ? QStringLiteral("(none)") : m_serialPort) + u'\n';
    out += QStringLiteral("  wave input: ") + waveInDevice() + u'\n';
    // Whoever drives the far end can tell when it has been heard out.
    out += QStringLiteral("  far-end sound not yet heard: %1 samples\n").arg(farEndSamplesLeft());
    out += QStringLiteral("  failures: ") + m_failures.describe() + u'\n';
    out += QStringLiteral("  done on the line:\n");
    for (const QString& action : m_actions)
        out += QStringLiteral("    ") + action + u'\n';
    return out;
}

std::vector<qint16> SimulatedLineDevice::takeFarEndSamples(qsizetype maxSamples)
{
    // The far end is heard only while the call is connected.
    if (m_state != CallState::Connected || maxSamples <= 0 || m_farEndPosition >= m_farEnd.size())
        return {};
    const size_t count = std::min(size_t(maxSamples), m_farEnd.size() - m_farEndPosition);
    std::vector<qint16> out(m_farEnd.begin() + qsizetype(m_farEndPosition),
        m_farEnd.begin() + qsizetype(m_farEndPosition + count));
    m_farEndPosition += count;
    return out;
}
