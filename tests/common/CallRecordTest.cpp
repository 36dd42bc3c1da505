#include "common/CallRecord.h"

#include <gtest/gtest.h>

namespace {

QByteArray blanks(int n)
{
    return QByteArray(n, ' ');
}

QByteArray nuls(int n)
{
    return QByteArray(n, '\0');
}

TEST(CallRecord_Layout, FieldsHaveTheirWidthsAndOffsets)
{
    const std::pair<const char*, std::pair<int, int>> expected[] = {
        {"EmergencyMark", {0, 1}},
        {"FlagMark", {1, 1}},
        {"CallType", {2, 2}},
        {"CallerName", {4, 32}},
        {"CallerNumber", {36, 32}},
        {"CallDate", {68, 50}},
        {"CallTime", {118, 16}},
        {"Length", {134, 10}},
        {"LineIndex", {144, 2}},
        {"ReadMark", {146, 1}},
        {"Description", {147, 64}},
        {"Notes", {211, 256}},
    };
    const auto& layout = CallRecord::layout();
    ASSERT_EQ(layout.size(), std::size(expected));
    for (std::size_t i = 0; i < layout.size(); ++i) {
        EXPECT_STREQ(layout[i].name, expected[i].first);
        EXPECT_EQ(layout[i].offset, expected[i].second.first) << layout[i].name;
        EXPECT_EQ(layout[i].width, expected[i].second.second) << layout[i].name;
    }
}

TEST(CallRecord_Bytes, ServiceRecordMatchesTheLayoutByteForByte)
{
    CallRecord record;
    record.EmergencyMark = QStringLiteral("0");
    record.CallType = QStringLiteral("0");
    // 31 letters and a two-byte character: 33 bytes, cut before the "é".
    record.CallerName = QString(31, u'A') + QStringLiteral("é");
    record.CallerNumber = QStringLiteral("0123456789");
    record.CallDate = QStringLiteral("12/10/2026");
    record.CallTime = QStringLiteral("09:05:00");
    record.Length = QStringLiteral("0:00:00");
    record.LineIndex = QStringLiteral("12");
    record.ReadMark = QStringLiteral("1");
    record.Description = QStringLiteral("Zoë's call");

    QByteArray expected;
    expected += "0"; // EmergencyMark
    expected += nuls(1); // FlagMark: not set
    expected += "0 "; // CallType
    expected += QByteArray(31, 'A') + " "; // CallerName
    expected += "0123456789" + blanks(22); // CallerNumber
    expected += "12/10/2026" + blanks(40); // CallDate
    expected += "09:05:00" + blanks(8); // CallTime
    expected += "0:00:00" + blanks(3); // Length
    expected += "12"; // LineIndex
    expected += "1"; // ReadMark
    expected += "Zo\xC3\xAB's call" + blanks(53); // Description
    expected += nuls(256); // Notes: not set
    ASSERT_EQ(expected.size(), CallRecord::Size);
    EXPECT_EQ(record.toBytes(), expected);
}

TEST(CallRecord_Bytes, RoundTripKeepsEveryByte)
{
    CallRecord record;
    record.FlagMark = QStringLiteral("1");
    record.CallerName = QStringLiteral("  Ünïcode name  ");
    record.Notes = QStringLiteral("line one\r\nline two");
    const QByteArray bytes = record.toBytes();
    const CallRecord back = CallRecord::fromBytes(bytes);
    EXPECT_EQ(back.toBytes(), bytes);
    EXPECT_EQ(FixedRecord::trimBlanks(back.CallerName), u"Ünïcode name");
    EXPECT_EQ(back.EmergencyMark, QString(1, QChar(0))); // unset stays unset
    EXPECT_NE(FixedRecord::trimBlanks(back.ReadMark), u"1");
}

TEST(CallRecord_Recording, OnlyTypesTwoToFourHaveOne)
{
    const std::pair<const char*, bool> cases[]
        = {{"0", false}, {"1", false}, {"2", true}, {"3", true}, {"4", true}, {"5", false}, {"", false}};
    for (const auto& [type, has] : cases) {
        CallRecord record;
        record.CallType = QString::fromLatin1(type);
        EXPECT_EQ(hasRecording(record), has) << type;
    }
    EXPECT_FALSE(hasRecording(CallRecord())); // NUL type
}

TEST(CallRecord_Recording, NameIsTheSameForTheRecorderAndForEveryReader)
{
    EXPECT_EQ(recordingFileName(QStringLiteral("UNKNOWN"), QStringLiteral("555123"),
                  QStringLiteral("12/25/2004"), QStringLiteral("10:30:05")),
        u"UNKNOWN_555123_12-25-2004_10-30-05.wav");

    // The recorder passes the live values; the reader what the record kept.
    const QString longName = QString(40, u'N');
    CallRecord record;
    record.CallerName = longName;
    record.CallerNumber = QStringLiteral(" 42 ");
    record.CallDate = QStringLiteral("01/02/2026");
    record.CallTime = QStringLiteral("23:59:59");
    const CallRecord stored = CallRecord::fromBytes(record.toBytes());
    const QString fromRecorder = recordingFileName(
        longName, QStringLiteral(" 42 "), QStringLiteral("01/02/2026"), QStringLiteral("23:59:59"));
    EXPECT_EQ(recordingFileName(stored), fromRecorder);
    EXPECT_EQ(fromRecorder, QString(32, u'N') + QStringLiteral("_42_01-02-2026_23-59-59.wav"));
}

TEST(CallRecord_Recording, CallerTextCannotLeaveTheDayFolder)
{
    const QString name = recordingFileName(QStringLiteral("../../etc/x"), QStringLiteral("a\\b\nc"),
        QStringLiteral("01/02/2026"), QStringLiteral("10:00:00"));
    EXPECT_FALSE(name.contains(u'/'));
    EXPECT_FALSE(name.contains(u'\\'));
    EXPECT_FALSE(name.contains(u'\n'));
    EXPECT_EQ(name, u"..-..-etc-x_a-b-c_01-02-2026_10-00-00.wav");
}

} // namespace
