#pragma once

#include "common/CallRecord.h"
#include "platform/MessageControl.h"
#include "platform/SimulatedLines.h"
#include "service/core/Journal.h"
#include "service/line/LineState.h"
#include "service/line/frmLine.h"
#include "tests/service/line/LineFakes.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

// The line engine on a simulated line of the test's own, opened in TAPI mode,
// with the desktop's three event channels listened to and the later parts
// (alert, recorder, forwarding, modem path) noting their calls. The clock is
// the test's: 12/10/2026 09:30:00, moved on only by the engine's waits.
class CallFixture : public ::testing::Test {
protected:
    static const QString kDay; // the test day's folder

    void SetUp() override;
    void TearDown() override;

    void set(const QString& section, const QString& name, const QString& value);
    // Loads the engine and opens the line (its "LineStatus" is taken off).
    void load(const SimulatedLines::Config& config = {});
    SimulatedLineDevice* device() const { return lines->device(0); }
    // Returns once the engine has handled every line event raised so far.
    // Texts it sent meanwhile may still be on their way to the listeners.
    void settle() const;
    // A whole unanswered incoming call: offer, rings, caller ID after the
    // first ring, the far end hangs up; returns once its n-th end arrived.
    void incomingCall(const QString& name, const QString& number, int rings, int nthCall);
    // Waits for the n-th "Tapi_Idle" on both 310 and 307.
    bool waitForIdles(int n = 1);

    // What each channel carried, in order.
    QStringList events; // 307
    QStringList callerIds; // 309
    QStringList idles; // 310

    // Journal entries of the test's day without their times.
    QStringList sysJournal() const;
    QStringList callsJournal() const;
    std::optional<CallRecord> record(qint32 number) const;
    qint32 recordCount() const;
    QStringList last() const;

    TestEnvironment env;
    TestClock clock;
    QTemporaryDir sink;
    Journal journal{{true, true, false}};
    LineState state;
    NotedSpeech tts;
    NotedParts parts;
    ModemPort* modem = nullptr;
    // Makes the modem path on the engine's line device in place of the noted
    // one (modem stays null then).
    std::function<ModemSerialPath*(TelephonyControl&)> makeModem;
    // Makes the recorder on the engine's line and wave control in place of
    // the noted one.
    std::function<DialledCallRecorder*(TelephonyControl&, WaveControl&)> makeRecorder;
    // Made by load() unless a test puts its own here first.
    WaveControl* player = nullptr; // the engine's WavePlayer
    IncomingCallAlert* alert = nullptr;
    CallForwarding* forwarding = nullptr;
    std::unique_ptr<SimulatedLines> lines;
    TelephonyControl* tapi = nullptr; // the engine's line device
    std::unique_ptr<QObject> controls; // owns what the engine works through
    std::unique_ptr<frmLine> line;

private:
    MessageControl m_eventListener;
    MessageControl m_callerIdListener;
    MessageControl m_idleListener;
    int m_idlesOnEventChannel = 0; // kept when a test clears events
};

// "Tapi_Idle" of an ended call of the type, as the line engine sends it.
QString idleOf(const char* callType);
