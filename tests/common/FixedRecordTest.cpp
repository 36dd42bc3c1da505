#include "common/FixedRecord.h"

#include <gtest/gtest.h>

namespace {

TEST(FixedRecord_FitField, CutsUtf8AtACharacterBoundaryAndPadsWithBlanks)
{
    struct Case {
        const char* why;
        QString text;
        int width;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"shorter: blank-padded", QStringLiteral("ab"), 4, QByteArray("ab  ")},
        {"exact width", QStringLiteral("abcd"), 4, QByteArray("abcd")},
        {"longer: cut", QStringLiteral("abcdef"), 4, QByteArray("abcd")},
        {"empty text is blanks, not NULs", QString(), 3, QByteArray("   ")},
        {"two-byte character fits whole", QStringLiteral("aé"), 3, QByteArray("a\xC3\xA9")},
        {"two-byte character would straddle: dropped", QStringLiteral("abé"), 3, QByteArray("ab ")},
        {"three-byte character would straddle", QStringLiteral("a電"), 3, QByteArray("a  ")},
        {"four-byte character would straddle", QStringLiteral("a😀"), 4, QByteArray("a   ")},
        {"four-byte character fits whole", QStringLiteral("a😀"), 5, QByteArray("a\xF0\x9F\x98\x80")},
        {"leading blanks are kept", QStringLiteral(" a"), 3, QByteArray(" a ")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FixedRecord::fitField(c.text, c.width), c.bytes) << c.why;
}

TEST(FixedRecord_CutToWidth, KeepsWhatTheFieldWouldHoldWithoutPadding)
{
    struct Case {
        const char* why;
        QString text;
        int width;
        QString cut;
    };
    const Case cases[] = {
        {"shorter: unchanged, not padded", QStringLiteral("ab"), 4, QStringLiteral("ab")},
        {"longer: cut", QStringLiteral("abcdef"), 4, QStringLiteral("abcd")},
        {"two-byte characters count twice", QStringLiteral("éééé"), 5, QStringLiteral("éé")},
        {"a pair that would straddle is dropped whole", QStringLiteral("ab😀c"), 5, QStringLiteral("ab")},
        {"a pair cut by the first width characters", QStringLiteral("a😀"), 2, QStringLiteral("a")},
        {"four-byte character fits whole", QStringLiteral("a😀b"), 5, QStringLiteral("a😀")},
        {"blanks are kept", QStringLiteral(" a  "), 3, QStringLiteral(" a ")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FixedRecord::cutToWidth(c.text, c.width), c.cut) << c.why;
        EXPECT_EQ(FixedRecord::fitField(FixedRecord::cutToWidth(c.text, c.width), c.width),
            FixedRecord::fitField(c.text, c.width))
            << c.why;
    }
    EXPECT_EQ(FixedRecord::cutToWidth(QString(1'000'000, u'x'), 32), QString(32, u'x'));
}

TEST(FixedRecord_FitField, UnsetFieldKeepsItsNuls)
{
    EXPECT_EQ(FixedRecord::fitField(QString(3, QChar(0)), 3), QByteArray(3, '\0'));
}

TEST(FixedRecord_TrimBlanks, RemovesBlanksOnly)
{
    EXPECT_EQ(FixedRecord::trimBlanks(QStringLiteral("  a b  ")), u"a b");
    EXPECT_EQ(FixedRecord::trimBlanks(QStringLiteral("    ")), QString());
    const QString nuls(2, QChar(0));
    EXPECT_EQ(FixedRecord::trimBlanks(nuls), nuls);
    EXPECT_EQ(FixedRecord::trimBlanks(QStringLiteral("\ta\t")), u"\ta\t");
}

TEST(FixedRecord_WholeRecords, CountsOnlyWholeRecords)
{
    // A torn tail is never a record, however large it is.
    struct Case {
        qint64 length;
        qint32 count;
    };
    const Case cases[] = {{0, 0}, {-5, 0}, {1793, 0}, {1794, 1}, {3 * 1794 + 896, 3}, {3 * 1794 + 897, 3},
        {3 * 1794 + 900, 3}, {4 * 1794, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(FixedRecord::wholeRecords(c.length, 1794), c.count) << c.length;
}

} // namespace
