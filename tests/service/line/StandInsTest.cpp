#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineActions.h"
#include "service/line/LineState.h"
#include "tests/service/line/QuietLine.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A piece that is not built yet says so once each time the user's settings
// ask it to act, and stays quiet otherwise.
TEST(StandIns, JournalThatTheyAreNotBuiltOnlyWhenAskedToAct)
{
    TestEnvironment env;
    TestClock clock; // 12/10/2026 09:30:00
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
    struct Row {
        const char* name;
        std::function<void(CallOptions&)> options;
        std::function<void(QuietLine&)> act;
        QStringList journaled;
    };
    const Row rows[] = {
        {"alert without sound or speech", [](CallOptions&) {},
            [](QuietLine& line) { AlertStandIn().PlayIncomingCallAlert(line); }, {}},
        {"alert with a sound", [](CallOptions& o) { o.bPlaySound_IC = true; },
            [](QuietLine& line) { AlertStandIn().PlayIncomingCallAlert(line); },
            {u"PlayIncomingCallAlert->Incoming-call alerts are not built yet: nothing played(0)"_s}},
        {"alert with speech", [](CallOptions& o) { o.SayText = true; },
            [](QuietLine& line) { AlertStandIn().PlayIncomingCallAlert(line); },
            {u"PlayIncomingCallAlert->Incoming-call alerts are not built yet: nothing played(0)"_s}},
        {"end of a played sound", [](CallOptions& o) { o.bPlaySound_IC = true; },
            [](QuietLine& line) { AlertStandIn().WavePlayer_PlayDone(line); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(testDaySysJournal(env.programFolder()));
        const Journal writer{{true, false, false}};
        QuietLine line(writer);
        row.options(line.current.options);
        row.act(line);
        QStringList journaled;
        for (const QString& entry : journalEntries(testDaySysJournal(env.programFolder())))
            journaled << entry.mid(11);
        EXPECT_EQ(journaled, row.journaled);
    }
}

} // namespace
