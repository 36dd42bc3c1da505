#include "service/line/CallForwarding.h"

#include <QString>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The same rule decides for mail (MailAction) and program (AppAction).
TEST(ForwardingDecision, ActionCodeAgainstEveryCallType)
{
    const QString types[] = {u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"9"_s, QString()};
    struct Row {
        qint16 action;
        bool forwarded[7]; // for each of the types above
    };
    const Row rows[] = {
        {0, {true, true, true, true, true, true, true}}, // every call
        {1, {false, false, true, false, false, false, false}}, // voice messages only
        {2, {false, false, false, true, false, false, false}}, // recorded incoming calls only
        {3, {}}, // no such code: nothing
        {-1, {}},
    };
    for (const Row& row : rows) {
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(ForwardsCallType(row.action, types[i]), row.forwarded[i])
                << "action " << row.action << ", type \"" << types[i].toStdString() << '"';
        }
    }
}

} // namespace
