#include "common/DateTimeText.h"
#include "tests/support/TestClock.h"

#include <gtest/gtest.h>

namespace {

// Each case's text parses to its expected value; an invalid expected value
// means the text is refused.
template<typename Case, std::size_t N, typename Parser>
void expectParses(const Case (&cases)[N], Parser parse)
{
    for (const Case& c : cases) {
        const auto parsed = parse(c.text);
        const std::string shown = QString::fromUtf16(c.text).toStdString();
        if (c.expected.isValid()) {
            ASSERT_TRUE(parsed.has_value()) << shown;
            EXPECT_EQ(*parsed, c.expected) << shown;
        } else {
            EXPECT_FALSE(parsed.has_value()) << shown;
        }
    }
}

TEST(DateTimeText, FormatsWithLeadingZerosAndFourDigitYears)
{
    EXPECT_EQ(DateTimeText::formatDate(QDate(2026, 12, 10)), u"12/10/2026");
    EXPECT_EQ(DateTimeText::formatDate(QDate(2004, 5, 7)), u"05/07/2004");
    EXPECT_EQ(DateTimeText::formatDate(QDate(99, 1, 2)), u"01/02/0099");
    EXPECT_EQ(DateTimeText::formatDate(QDate()), QString());
    EXPECT_EQ(DateTimeText::formatTime(QTime(9, 5, 3)), u"09:05:03");
    EXPECT_EQ(DateTimeText::formatTime(QTime(23, 59, 59)), u"23:59:59");
    EXPECT_EQ(DateTimeText::formatTime(QTime()), QString());
}

TEST(DateTimeText, ParsesExactlyTheFormatAndOnlyRealDates)
{
    struct Case {
        const char16_t* text;
        QDate expected; // invalid: refused
    };
    const Case cases[] = {
        {u"12/10/2026", QDate(2026, 12, 10)},
        {u"02/29/2024", QDate(2024, 2, 29)},
        {u"02/29/2026", QDate()}, // no leap day that year
        {u"13/01/2026", QDate()},
        {u"00/10/2026", QDate()},
        {u"12/32/2026", QDate()},
        {u"1/10/2026", QDate()}, // leading zero missing
        {u"12/10/26", QDate()},
        {u"12-10-2026", QDate()},
        {u" 12/10/2026", QDate()},
        {u"12/10/2026 ", QDate()},
        {u"1a/10/2026", QDate()},
        {u"12/10/0000", QDate()},
        {u"１２/10/2026", QDate()}, // full-width digits are not digits here
        {u"", QDate()},
    };
    expectParses(cases, DateTimeText::parseDate);
}

TEST(DateTimeText, ParsesTimesOfTheDayOnly)
{
    struct Case {
        const char16_t* text;
        QTime expected;
    };
    const Case cases[] = {
        {u"00:00:00", QTime(0, 0, 0)},
        {u"23:59:59", QTime(23, 59, 59)},
        {u"09:30:05", QTime(9, 30, 5)},
        {u"24:00:00", QTime()},
        {u"12:60:00", QTime()},
        {u"12:00:60", QTime()},
        {u"9:30:05", QTime()},
        {u"09:30", QTime()},
        {u"09.30.05", QTime()},
        {u"09:30:05 PM", QTime()},
    };
    expectParses(cases, DateTimeText::parseTime);
}

TEST(DateTimeText, FormatAndParseRoundTripOverAYear)
{
    for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1))
        ASSERT_EQ(DateTimeText::parseDate(DateTimeText::formatDate(d)), d);
}

TEST(DateTimeText, LongDateAndMediumTimeUseEnglishNamesAndTheTwelveHourClock)
{
    struct DateCase {
        QDate date;
        const char16_t* expected;
    };
    const DateCase dates[] = {
        {QDate(2026, 12, 10), u"Thursday, December 10, 2026"},
        {QDate(2004, 5, 7), u"Friday, May 7, 2004"}, // no leading zero on the day
        {QDate(2024, 2, 29), u"Thursday, February 29, 2024"},
        {QDate(2027, 1, 3), u"Sunday, January 3, 2027"},
        {QDate(99, 1, 2), u"Friday, January 2, 0099"},
        {QDate(), u""},
    };
    for (const DateCase& c : dates)
        EXPECT_EQ(DateTimeText::formatLongDate(c.date), QString::fromUtf16(c.expected))
            << c.date.toString().toStdString();

    struct TimeCase {
        QTime time;
        const char16_t* expected;
    };
    const TimeCase times[] = {
        {QTime(21, 30, 5), u"09:30 PM"},
        {QTime(9, 5, 59), u"09:05 AM"}, // seconds dropped, not rounded
        {QTime(0, 15, 0), u"12:15 AM"},
        {QTime(12, 0, 0), u"12:00 PM"},
        {QTime(11, 59, 59), u"11:59 AM"},
        {QTime(23, 59, 59), u"11:59 PM"},
        {QTime(), u""},
    };
    for (const TimeCase& c : times)
        EXPECT_EQ(DateTimeText::formatMediumTime(c.time), QString::fromUtf16(c.expected))
            << c.time.toString().toStdString();
}

TEST(DateTimeText, LongDatesAndDateTimesReadBackOnlyWhenWhole)
{
    for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1))
        ASSERT_EQ(DateTimeText::parseLongDate(DateTimeText::formatLongDate(d)), d);

    struct Case {
        const char16_t* text;
        QDateTime expected;
    };
    const Case cases[] = {
        {u"12/10/2026 21:30:05", QDateTime(QDate(2026, 12, 10), QTime(21, 30, 5))},
        {u"Thursday, December 10, 2026 09:00:00", QDateTime(QDate(2026, 12, 10), QTime(9, 0))},
        {u"Friday, May 7, 2004 00:00:01", QDateTime(QDate(2004, 5, 7), QTime(0, 0, 1))},
        {u"Monday, December 10, 2026 09:00:00", {}}, // the weekday is wrong
        {u"Thursday, Decembre 10, 2026 09:00:00", {}},
        {u"Thursday, December 32, 2026 09:00:00", {}},
        {u"12/10/2026", {}},
        {u"12/10/2026  21:30:05", {}},
        {u"UNKNOWN 21:30:05", {}},
        {u"", {}},
    };
    expectParses(
        cases, [](const char16_t* text) { return DateTimeText::parseDateAndTime(QStringView(text)); });
}

TEST(DateTimeText, CurrentDateAndTimeComeFromTheClock)
{
    TestClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    EXPECT_EQ(DateTimeText::currentDate(), u"12/31/2026");
    EXPECT_EQ(DateTimeText::currentTime(), u"23:59:59");
    clock.advance(1000);
    EXPECT_EQ(DateTimeText::currentDate(), u"01/01/2027");
    EXPECT_EQ(DateTimeText::currentTime(), u"00:00:00");
}

} // namespace
