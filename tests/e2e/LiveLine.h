#pragma once

#include "common/CallRecord.h"
#include "platform/MessageControl.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"

#include <QDate>
#include <QList>
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

    // The calls the service stored during the test, numbered from 1 across
    // the day files of every day the test ran on, so a run that crosses
    // midnight finds each call where the service put it.
    std::optional<CallRecord> record(qint32 number) const;
    qint32 recordCount() const;
    // The date and the day folder (stored form) of the first call stored:
    // today until a call is.
    QString today() const;
    QString todaysFolder() const;
    // The recent-calls entry that names the call: "<number in its day>:<day folder>".
    QString lastEntryOf(qint32 number) const;
    QStringList last() const;
    // The calls journals' entries of every day the test ran on.
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
    QDate m_firstDay = QDate::currentDate();

    // The day holding the call and its number in that day's file.
    struct StoredAt {
        QDate day;
        qint32 number = 0;
    };
    QList<QDate> testDays() const;
    std::optional<StoredAt> storedAt(qint32 number) const;
};

// A caller's fields of a record, blanks trimmed.
QString trimmed(const QString& field);
