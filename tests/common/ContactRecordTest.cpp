#include "common/ContactRecord.h"

#include <gtest/gtest.h>

namespace {

QByteArray text(const QByteArray& bytes, int width)
{
    return bytes + QByteArray(width - bytes.size(), ' ');
}

// An unset field: NUL bytes.
QByteArray unsetField(int n)
{
    return QByteArray(n, '\0');
}

TEST(ContactRecord_Layout, FieldsHaveTheirWidthsAndOffsets)
{
    const std::tuple<const char*, int, int> expected[] = {
        {"ContactName", 0, 32},
        {"PictureFile", 32, 64},
        {"CallerName", 96, 40},
        {"CallerNumber", 136, 40},
        {"CallHandling", 176, 1},
        {"AnswerEnabled", 177, 1},
        {"Reserved7", 178, 1},
        {"GreetingFile", 179, 64},
        {"AnswerRings", 243, 2},
        {"AnswerBeep", 245, 1},
        {"EmergencyMark", 246, 1},
        {"EventsMode", 247, 1},
        {"ShowLineControl", 248, 1},
        {"ShowCallDetails", 249, 1},
        {"DisplayStyle", 250, 1},
        {"PlayCallSound", 251, 1},
        {"SoundFile", 252, 64},
        {"SayText", 316, 1},
        {"SpeechText", 317, 128},
        {"ActionsMode", 445, 1},
        {"ForwardToMail", 446, 1},
        {"MailAction", 447, 1},
        {"MailTo", 448, 64},
        {"ForwardToApp", 512, 1},
        {"AppAction", 513, 1},
        {"AppCommand", 514, 256},
        {"Notes", 770, 1024},
    };
    const auto& layout = ContactRecord::layout();
    ASSERT_EQ(layout.size(), std::size(expected));
    for (std::size_t i = 0; i < layout.size(); ++i) {
        EXPECT_STREQ(layout[i].name, std::get<0>(expected[i]));
        EXPECT_EQ(layout[i].offset, std::get<1>(expected[i])) << layout[i].name;
        EXPECT_EQ(layout[i].width, std::get<2>(expected[i])) << layout[i].name;
    }
}

TEST(ContactRecord_Bytes, EditorRecordMatchesTheLayoutByteForByte)
{
    // As the contact editor writes a blocked caller with events mode "2":
    // the never-written fields and the sound file stay NUL.
    ContactRecord record;
    record.ContactName = QStringLiteral("Renée");
    record.PictureFile = QString();
    record.CallerName = QStringLiteral("RENEE M");
    record.CallerNumber = QStringLiteral("+44 20 7946 0000");
    record.CallHandling = QStringLiteral("2");
    record.EmergencyMark = QStringLiteral("0");
    record.EventsMode = QStringLiteral("2");
    record.ShowCallDetails = QStringLiteral("1");
    record.DisplayStyle = QStringLiteral("-1"); // no list position: cut to "-"
    record.PlayCallSound = QStringLiteral("0");
    record.SayText = QStringLiteral("1");
    record.SpeechText = QStringLiteral("Call from <CONTACT>");
    record.ActionsMode = QStringLiteral("3");
    record.ForwardToMail = QStringLiteral("1");
    record.MailAction = QStringLiteral("0");
    record.MailTo = QStringLiteral("me@example.org");
    record.ForwardToApp = QStringLiteral("0");
    record.AppAction = QStringLiteral("0");
    record.AppCommand = QStringLiteral("notify <CALLER_NUMBER>");
    record.Notes = QStringLiteral("line 1\r\nline 2");

    QByteArray expected;
    expected += text("Ren\xC3\xA9"
                     "e",
        32);
    expected += text("", 64);
    expected += text("RENEE M", 40);
    expected += text("+44 20 7946 0000", 40);
    expected += "2";
    expected
        += unsetField(1) + unsetField(1) + unsetField(64) + unsetField(2) + unsetField(1); // fields 6 to 10
    expected += "0";
    expected += "2";
    expected += unsetField(1); // ShowLineControl
    expected += "1";
    expected += "-";
    expected += "0";
    expected += unsetField(64); // SoundFile
    expected += "1";
    expected += text("Call from <CONTACT>", 128);
    expected += "3";
    expected += "1";
    expected += "0";
    expected += text("me@example.org", 64);
    expected += "0";
    expected += "0";
    expected += text("notify <CALLER_NUMBER>", 256);
    expected += text("line 1\r\nline 2", 1024);
    ASSERT_EQ(expected.size(), ContactRecord::Size);
    EXPECT_EQ(record.toBytes(), expected);
}

TEST(ContactRecord_Bytes, RoundTripKeepsEveryByte)
{
    ContactRecord record;
    record.ContactName = QStringLiteral(" Zoë ");
    record.CallerNumber = QString(41, u'9'); // cut to 40
    record.Notes = QString(600, u'ü'); // 1200 bytes, cut to 1024
    const QByteArray bytes = record.toBytes();
    ASSERT_EQ(bytes.size(), ContactRecord::Size);
    const ContactRecord back = ContactRecord::fromBytes(bytes);
    EXPECT_EQ(back.toBytes(), bytes);
    EXPECT_EQ(FixedRecord::trimBlanks(back.ContactName), u"Zoë");
    EXPECT_EQ(back.CallerNumber, QString(40, u'9'));
    EXPECT_EQ(back.Notes, QString(512, u'ü'));
    EXPECT_EQ(back.SoundFile, QString(64, QChar(0)));
}

} // namespace
