#pragma once

#include "common/CallRecord.h"
#include "platform/MessageControl.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// The real RingvaleSvc in a throw-away installation with the simulated line
// open, listened to on 307, 309 and 310 and steered on 308 as the desktop
// program would, with calls placed by ringvale-line.
class LiveLine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void set(const QString& section, const QString& name, const QString& value);
    // Starts the service and waits for the "LineStatus" of the line it opens.
    void start();
    // UNLOAD on 305; the service ends normally.
    void unload();

    struct ToolRun {
        int exitCode = -1;
        QString out;
        QString err;
    };
    // ringvale-line with the arguments, events running meanwhile.
    ToolRun line(const QStringList& args, int timeoutMs = 20000);
    // Any of the tools, the same way.
    ToolRun tool(const QString& name, const QStringList& args, int timeoutMs = 20000);
    // A text on 308, handed to the service.
    bool command(const QString& text);
    // Waits for the n-th "Tapi_Idle" on both 310 and 307.
    bool waitForIdles(int n = 1, int timeoutMs = 5000);
    bool waitForEvent(const QString& text, int timeoutMs = 5000);

    QStringList events; // 307
    QStringList callerIds; // 309
    QStringList idles; // 310

    // Today's day folder (stored form), its records and the recent-calls list.
    static QString today();
    static QString todaysFolder();
    std::optional<CallRecord> record(qint32 number) const;
    qint32 recordCount() const;
    QStringList last() const;
    QStringList callsJournal() const;

    TestEnvironment env;
    QTemporaryDir sink;
    QProcessEnvironment extra;
    std::unique_ptr<Svc> svc;

private:
    MessageControl m_events;
    MessageControl m_callerIds;
    MessageControl m_idles;
    MessageControl m_commands;
    MessageControl m_process;
    int m_idlesOnEventChannel = 0;
};

// A caller's fields of a record, blanks trimmed.
QString trimmed(const QString& field);
