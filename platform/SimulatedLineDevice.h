#pragma once

#include "platform/LineAudio.h"
#include "platform/TelephonyControl.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <vector>

// How fast a scripted call runs: slow enough to follow by eye, or fast.
struct SimulatedLinePacing {
    int ringIntervalMs = 3000;
    // A far-end hang-up that nobody drops clears by itself after this; long
    // enough that a busy program's own drop comes first.
    int clearDelayMs = 2000;

    static SimulatedLinePacing normal() { return {}; }
    static SimulatedLinePacing fast() { return {150, 1000}; }
};

// A whole incoming call as a line delivers it: offer, rings, caller ID after
// ring cidAfterRing (0: before the first), far-end hang-up after ring
// hangupAfterRing (-1: after the last ring), then idle.
struct SimulatedCallScript {
    QString number;
    QString name;
    int rings = 4;
    int cidAfterRing = 1;
    int hangupAfterRing = -1;
};

// One step of a call, as the line reports it to whoever has it open.
struct SimulatedLineEvent {
    enum Kind { Dialing, InComeCall, Ring, CallerID, Connected, Disconnected, Idle };
    Kind kind = Idle;
    qint32 count = 0;
    QString name;
    QString number;
};

// Failures a test asked for: by name, how many more times (-1: until cleared).
class SimulatedFailures {
public:
    // The names a driver may use.
    static const QStringList& names();
    void set(const QString& what, int times);
    void clear() { m_remaining.clear(); }
    // True (and one fewer left) when the next such request must fail.
    bool consume(const QString& what);
    QString describe() const;

private:
    QMap<QString, int> m_remaining;
};

// One simulated line device: its capabilities, the call on it, and what was
// done on it. The far end is driven from outside (the control socket, tests);
// the local side by the telephony controls that have it open.
class SimulatedLineDevice : public QObject, public LineAudioSource {
    Q_OBJECT
public:
    enum class CallState { Idle, Offering, Dialing, Connected, Disconnected };

    SimulatedLineDevice(int index, const QString& name, const QString& serialPort, QObject* parent = nullptr);
    ~SimulatedLineDevice() override;

    int index() const { return m_index; }
    DeviceCaps caps() const { return m_caps; }
    QString serialPort() const { return m_serialPort; }
    QString waveInDevice() const;
    CallState callState() const { return m_state; }
    bool hasCall() const { return m_state != CallState::Idle; }

    // The far end. Each returns an empty text when done, else why not.
    QString farOffer(const QString& number, const QString& name);
    QString farRing();
    QString farCallerId(const QString& name, const QString& number);
    QString farHangup(int clearDelayMs);
    QString farAnswer();
    QString startCall(const SimulatedCallScript& script, const SimulatedLinePacing& pacing);
    // The far end's sound for the current or next call (8000 Hz mono).
    void setFarEndSound(std::vector<qint16> samples);
    // How much of the far end's sound has not yet been heard on the line.
    qsizetype farEndSamplesLeft() const { return qsizetype(m_farEnd.size() - m_farEndPosition); }
    // Reads a wave file as far-end sound; nullopt with a reason when it cannot.
    static std::optional<std::vector<qint16>> loadFarEndSound(const QString& path, QString* error);
    // The number and name the last offer carried, for a caller ID without its own.
    QString offeredNumber() const { return m_number; }
    QString offeredName() const { return m_name; }

    // The local side. Result codes of LineResult.
    qint32 answer();
    qint32 drop();
    qint32 dial(const QString& number);

    // Who has the line open, as "privileges, media modes" per opener.
    void attach(const void* opener, qint32 privileges, qint32 mediaModes);
    void detach(const void* opener);
    bool isOpenBy(const void* opener) const { return m_openers.contains(opener); }
    bool isOpen() const { return !m_openers.isEmpty(); }

    SimulatedFailures& failures() { return m_failures; }
    // Remembers one request made on the line and its result, for status.
    void noteAction(const QString& text);
    QStringList actions() const { return m_actions; }
    QString statusText() const;

    std::vector<qint16> takeFarEndSamples(qsizetype maxSamples) override;

signals:
    void lineEvent(const SimulatedLineEvent& event);
    // One readable line for everything that happens on the line.
    void progress(const QString& text);
    void callEnded();
    void openChanged();

private:
    void raise(const SimulatedLineEvent& event);
    void goIdle();
    void runScriptStep();
    void stopScript();

    struct Opened {
        qint32 privileges = 0;
        qint32 mediaModes = 0;
    };
    struct ScriptStep {
        qint64 atMs = 0;
        SimulatedLineEvent::Kind kind = SimulatedLineEvent::Ring;
    };

    int m_index = 0;
    DeviceCaps m_caps;
    QString m_serialPort;
    CallState m_state = CallState::Idle;
    bool m_incoming = false;
    QString m_number;
    QString m_name;
    qint32 m_rings = 0;
    std::vector<qint16> m_farEnd;
    size_t m_farEndPosition = 0;
    QHash<const void*, Opened> m_openers;
    SimulatedFailures m_failures;
    QStringList m_actions;
    QTimer m_clearTimer;
    // The running script: steps still to come, timed from its start.
    QTimer m_scriptTimer;
    QElapsedTimer m_scriptClock;
    QList<ScriptStep> m_script;
    SimulatedCallScript m_scriptCall;
    int m_scriptClearDelayMs = 0;
};

// A text in quotes with control characters shown as escapes, for progress
// and status lines.
QString SimulatedLineQuoted(const QString& text);
