#include "desktop/shell/SavedCall.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Caller names come from the telephone network: the proposed file name must
// stay one name in the chosen folder.
TEST(SavedCall, TheProposedNameIsOneFileNameWhateverTheCallerSent)
{
    const struct {
        QString name;
        QString number;
        QString when;
        QString proposed;
    } cases[] = {
        {u"Ann Lee"_s, u"5551234"_s, u"12/10/2026 09:30:05"_s, u"Ann Lee_5551234_12-10-2026 09-30-05"_s},
        {u"../../etc/x"_s, u"1"_s, u"12/10/2026 09:30:05"_s, u"..-..-etc-x_1_12-10-2026 09-30-05"_s},
        {u"a\\b\nc"_s, u"2\t3"_s, u""_s, u"a-b-c_2-3_"_s},
    };
    for (const auto& c : cases) {
        SavedCall call;
        call.callerName = c.name;
        call.callerNumber = c.number;
        call.dateTime = c.when;
        EXPECT_EQ(ProposedCallFileName(call), c.proposed) << c.name.toStdString();
    }
}

TEST(SavedCall, TheTextHasOneLabelledLinePerDetailAndKeepsTheNotesLines)
{
    SavedCall call{u"Bob"_s, u"222"_s, u"12/10/2026 09:20:00"_s, u"Incoming call"_s, u"0:00:00"_s,
        u"one\ntwo\r\nthree"_s};
    EXPECT_EQ(call.text(),
        u"Caller: Bob\r\nNumber: 222\r\nDate and time: 12/10/2026 09:20:00\r\nDescription: Incoming call\r\n"
        "Length: 0:00:00\r\nNote: one\r\ntwo\r\nthree\r\n"_s);
}
