#include "desktop/foundation/mdlPhoeTTS.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// The sample call of the incoming-call events window's speech test.
CallInfo sampleCall()
{
    CallInfo call;
    call.CallerName = QStringLiteral("Sample Caller Name");
    call.CallerNumber = QStringLiteral("Sample Caller Number");
    call.CallTime = QStringLiteral("14:05:00");
    call.CallDate = QStringLiteral("12/10/2026");
    call.MessagePath = QStringLiteral("/opt/ringvale");
    call.Length = QStringLiteral("00:03:25");
    call.ContactName = QStringLiteral("Contact");
    call.ReadMark = 0;
    call.CallType = QStringLiteral("2");
    return call;
}

TEST(mdlPhoeTTS, ExpandTTSTextFillsTheSampleCallAndLeavesTheMenuKeys)
{
    const CallInfo call = sampleCall();
    EXPECT_EQ(ExpandTTSText(QStringLiteral("<CALL_TYPE>  from <CALLER_NAME>"), call),
        u"Voice Message  from Sample Caller Name");
    EXPECT_EQ(ExpandTTSText(QStringLiteral("<MESSAGEORCALL>, <READ>, <LENGTH>, <CALLER_NUMBER>"), call),
        u"voice message, unread, 00:03:25, Sample Caller Number");
    EXPECT_EQ(ExpandTTSText(QStringLiteral("<TIME> <DATE> <CONTACT> <MESSAGE_PATH>"), call),
        u"02:05 PM Thursday, December 10, 2026 Contact /opt/ringvale");
    EXPECT_EQ(ExpandTTSText(QStringLiteral("<PLAY>Hi<MARK>"), call), u"<PLAY>Hi<MARK>");
}

} // namespace
