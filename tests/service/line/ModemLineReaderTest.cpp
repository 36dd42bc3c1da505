#include "service/line/ModemLineReader.h"
#include "platform/FakeModem.h"
#include "tests/support/QtPrinters.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;

namespace {

QString describe(const ModemEvent& event)
{
    switch (event.kind) {
    case ModemEvent::Ok:
        return u"OK"_s;
    case ModemEvent::Error:
        return u"ERROR"_s;
    case ModemEvent::Ring:
        return u"RING"_s;
    case ModemEvent::Name:
        return u"NAME "_s + event.text;
    case ModemEvent::Number:
        return u"NMBR "_s + event.text;
    case ModemEvent::Mesg:
        return u"MESG "_s + event.text;
    }
    return {};
}

struct Reading {
    QStringList events;
    QString name;
    QString number;
};

// Feeds the stream to a fresh reader in the given pieces, and the events to
// a fresh caller.
Reading readInPieces(const QList<QByteArray>& pieces)
{
    ModemLineReader reader;
    ModemCaller caller;
    Reading out;
    for (const QByteArray& piece : pieces) {
        for (const ModemEvent& event : reader.read(piece)) {
            out.events << describe(event);
            caller.apply(event);
        }
    }
    out.name = caller.sCallerName;
    out.number = caller.sCallerNumber;
    return out;
}

// Whole, byte by byte, and cut in two at every point.
QList<QList<QByteArray>> cuts(const QByteArray& stream)
{
    QList<QList<QByteArray>> all{{stream}};
    QList<QByteArray> bytes;
    for (const char c : stream)
        bytes << QByteArray(1, c);
    all << bytes;
    for (qsizetype at = 1; at < stream.size(); ++at)
        all << QList<QByteArray>{stream.left(at), stream.mid(at)};
    return all;
}

struct Case {
    const char* what;
    QByteArray stream;
    QStringList events;
    QString name;
    QString number;
};

const QByteArray kBlock = "801C010831323130303933300207353535313233340707416E6E204C6565F8";

const Case kCases[] = {
    {"formatted block between two rings",
        "\r\nRING\r\n\r\nDATE=1210\r\nTIME=0930\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n\r\nRING\r\n",
        {u"RING"_s, u"NMBR 5551234"_s, u"NAME Ann Lee"_s, u"RING"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"spaced block", "\r\nDATE = 1210\r\nTIME = 0930\r\nNMBR = 5551234\r\nNAME = Ann Lee\r\n",
        {u"NMBR 5551234"_s, u"NAME Ann Lee"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"fields in another order, date last", "NAME=Ann Lee\r\nNMBR=5551234\r\nTIME=0930\r\nDATE=1210\r\n",
        {u"NAME Ann Lee"_s, u"NMBR 5551234"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"dialled number of a direct line", "DDN_NMBR = 5550100\r\n", {u"NMBR 5550100"_s}, u"UNKNOWN"_s,
        u"5550100"_s},
    {"out of area and private", "NMBR=O\r\nNAME=P\r\n", {u"NMBR UNKNOWN"_s, u"NAME UNKNOWN"_s}, u"UNKNOWN"_s,
        u"UNKNOWN"_s},
    {"a name that only starts with P is a name", "NAME=Pat\r\n", {u"NAME Pat"_s}, u"Pat"_s, u"UNKNOWN"_s},
    {"unformatted block", "\r\nRING\r\n\r\n" + kBlock + "\r\n",
        {u"RING"_s, u"NMBR 5551234"_s, u"NAME Ann Lee"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"unformatted block, lower-case hex, name first",
        "8018010831323130303933300703426f620207353535303030304a\r\n", {u"NAME Bob"_s, u"NMBR 5550000"_s},
        u"Bob"_s, u"5550000"_s},
    {"unformatted block withheld", "80100108313231303039333004015008015029\r\n",
        {u"NMBR UNKNOWN"_s, u"NAME UNKNOWN"_s}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    // One digit of the number changed: the checksum no longer holds.
    {"unformatted block with a bad checksum",
        "801C010831323130303933300207353535313233350707416E6E204C6565F8\r\n", {}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"unformatted block whose length lies",
        "801D010831323130303933300207353535313233340707416E6E204C6565F7\r\n", {}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"two rings in one read", "\r\nRING\r\n\r\nRING\r\n", {u"RING"_s, u"RING"_s}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"CR-only line ends", "RING\rNMBR=5551234\rNAME=Ann Lee\rRING\r",
        {u"RING"_s, u"NMBR 5551234"_s, u"NAME Ann Lee"_s, u"RING"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"LF-only line ends", "RING\nNMBR=5551234\nNAME=Ann Lee\n",
        {u"RING"_s, u"NMBR 5551234"_s, u"NAME Ann Lee"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"a line without its end gives nothing yet", "NMBR=5551234", {}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"DLE pairs dropped, a shielded line end too", "RI\x10xNG\r\nNMBR=555\x10\r1234\r\n\x10\x10\x10sOK\r\n",
        {u"RING"_s, u"NMBR 5551234"_s, u"OK"_s}, u"UNKNOWN"_s, u"5551234"_s},
    {"echoes of commands are ignored", "ATZ\r\r\nOK\r\nAT#CID=1\r\r\nERROR\r\n", {u"OK"_s, u"ERROR"_s},
        u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"distinctive ring", "RING A\r\n", {u"RING"_s}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"empty values and unknown keys say nothing", "NAME=\r\nNMBR = \r\nCID=1\r\n=5\r\n0123\r\n", {},
        u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"control characters leave a name", "NAME=Ann\x01 \x14Lee\x7f\r\n", {u"NAME Ann Lee"_s}, u"Ann Lee"_s,
        u"UNKNOWN"_s},
    {"Latin-1 and UTF-8 names", "NAME=Ren\xe9\r\nNAME=Ren\xc3\xa9\r\n", {u"NAME René"_s, u"NAME René"_s},
        u"René"_s, u"UNKNOWN"_s},
    {"a long message after the name keeps the name",
        "NAME=Ann Lee\r\nMESG = 110A3030303030303030\r\nNMBR=5551234\r\n",
        {u"NAME Ann Lee"_s, u"MESG 110A3030303030303030"_s, u"NMBR 5551234"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"a long message first, then the fields",
        "MESG = 110A3030303030303030\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n",
        {u"MESG 110A3030303030303030"_s, u"NMBR 5551234"_s, u"NAME Ann Lee"_s}, u"Ann Lee"_s, u"5551234"_s},
    {"a long message alone after a ring withholds the name",
        "NAME=Ann Lee\r\nRING\r\nMESG=110A3030303030303030\r\n",
        {u"NAME Ann Lee"_s, u"RING"_s, u"MESG 110A3030303030303030"_s}, u"UNKNOWN"_s, u"UNKNOWN"_s},
    {"a short message after the number keeps the number",
        "NMBR=5551234\r\nNAME=Ann Lee\r\nRING\r\nNMBR=5551234\r\nMESG = 0401\r\n",
        {u"NMBR 5551234"_s, u"NAME Ann Lee"_s, u"RING"_s, u"NMBR 5551234"_s, u"MESG 0401"_s}, u"UNKNOWN"_s,
        u"5551234"_s},
    {"short messages withhold the number, then the name",
        "NMBR=5551234\r\nNAME=Ann Lee\r\nRING\r\nMESG = 0401\r\nMESG = 0801\r\n",
        {u"NMBR 5551234"_s, u"NAME Ann Lee"_s, u"RING"_s, u"MESG 0401"_s, u"MESG 0801"_s}, u"UNKNOWN"_s,
        u"UNKNOWN"_s},
};

TEST(ModemLineReader_Read, ReadsEachStreamTheSameHoweverItIsCut)
{
    for (const Case& c : kCases) {
        for (const QList<QByteArray>& pieces : cuts(c.stream)) {
            const Reading reading = readInPieces(pieces);
            const std::string where
                = std::string(c.what) + ", in " + std::to_string(pieces.size()) + " pieces";
            EXPECT_EQ(reading.events, c.events) << where;
            EXPECT_EQ(reading.name, c.name) << where;
            EXPECT_EQ(reading.number, c.number) << where;
            if (reading.events != c.events)
                break;
        }
    }
}

TEST(ModemLineReader_Read, CutsALinePastItsBoundAndReadsTheNextWhole)
{
    const QByteArray longName(400, 'A');
    const Reading reading = readInPieces({"NAME=" + longName + "\r\nNMBR=5551234\r\n"});
    ASSERT_EQ(reading.events.size(), 2);
    EXPECT_EQ(reading.name, QString(ModemLineReader::MaxLineBytes - 5, u'A'));
    EXPECT_EQ(reading.number, u"5551234"_s);

    // Cut inside a character: the piece goes, the rest stays UTF-8.
    const QByteArray name = QByteArray(250, 'A') + "\xc3\xa9\xc3\xa9";
    EXPECT_EQ(readInPieces({"NAME=" + name + "\r\n"}).name, QString(250, u'A'));
    EXPECT_EQ(readInPieces({"NAME=" + name.mid(1) + "\r\n"}).name, QString(249, u'A') + u"é"_s);
}

// A MESG line means what its length as sent says: the LF before it, the key
// and every blank count. 12 characters: a missing field (the number first,
// then the name); more than 20: an undecoded message in the number's place.
TEST(ModemLineReader_Mesg, LengthOfTheLineAsSentDecides)
{
    const struct {
        const char* what;
        QByteArray stream; // after a RING, so nothing is settled yet
        QString name;
        QString number;
        bool nameSeen;
        bool numberSeen;
    } cases[] = {
        {"12, spaced: the number is missing", "MESG = 0401\r\n", u"Ann"_s, u"UNKNOWN"_s, false, true},
        {"12, unspaced: the number is missing", "MESG=040150\r\n", u"Ann"_s, u"UNKNOWN"_s, false, true},
        {"12 after a number: the name is missing", "NMBR=5551234\r\nMESG=040150\r\n", u"UNKNOWN"_s,
            u"5551234"_s, true, true},
        {"12 after a name: the number is missing", "NAME=Ann Lee\r\nMESG = 0401\r\n", u"Ann Lee"_s,
            u"UNKNOWN"_s, true, true},
        {"12 after both: nothing changes", "NAME=Ann Lee\r\nNMBR=5551234\r\nMESG=040150\r\n", u"Ann Lee"_s,
            u"5551234"_s, true, true},
        {"12 twice: the number, then the name", "MESG=040150\r\nMESG = 0801\r\n", u"UNKNOWN"_s, u"UNKNOWN"_s,
            true, true},
        {"blanks count: 12 with a trailing blank", "MESG = 040 \r\n", u"Ann"_s, u"UNKNOWN"_s, false, true},
        {"11: nothing", "MESG=04015\r\n", u"Ann"_s, u"555"_s, false, false},
        {"13: nothing", "MESG=0401501\r\n", u"Ann"_s, u"555"_s, false, false},
        {"a 4-digit value unspaced is 10: nothing", "MESG=0401\r\n", u"Ann"_s, u"555"_s, false, false},
        {"20: nothing", "MESG=04015012345678\r\n", u"Ann"_s, u"555"_s, false, false},
        {"21, unspaced: the number's place, no name", "MESG=040150123456789\r\n", u"UNKNOWN"_s, u"555"_s,
            true, true},
        {"21, spaced", "MESG = 0401501234567\r\n", u"UNKNOWN"_s, u"555"_s, true, true},
        {"more than 20 after a name keeps it", "NAME=Ann Lee\r\nMESG = 110A3030303030303030\r\n",
            u"Ann Lee"_s, u"555"_s, true, true},
        {"a DLE pair is not counted", "MESG=0401\x10x50\r\n", u"Ann"_s, u"UNKNOWN"_s, false, true},
    };
    for (const auto& c : cases) {
        ModemLineReader reader;
        ModemCaller caller;
        caller.sCallerName = u"Ann"_s;
        caller.sCallerNumber = u"555"_s;
        for (const ModemEvent& event : reader.read(QByteArray("RING\r\n" + c.stream)))
            caller.apply(event);
        EXPECT_EQ(caller.sCallerName, c.name) << c.what;
        EXPECT_EQ(caller.sCallerNumber, c.number) << c.what;
        EXPECT_EQ(caller.bNameSeen, c.nameSeen) << c.what;
        EXPECT_EQ(caller.bNumberSeen, c.numberSeen) << c.what;
    }
}

// Random modem output, cut at random, reads as it does whole; whatever the
// bytes, a name or number never carries a line break, a DLE or another
// control character into the texts it goes to.
TEST(ModemLineReader_Property, RandomStreamsReadTheSameInRandomCutsAndStayClean)
{
    std::mt19937 random(20261210);
    const QList<QByteArray> pieces
        = {"RING", "OK", "ERROR", "NMBR=", "NAME = ", "DDN_NMBR=", "MESG = ", "DATE=", "5551234", "Ann Lee",
            "P", "O", kBlock, "\r", "\n", "\r\n", QByteArray(1, ModemLineReader::Dle), "\x01", "\x7f", "\xe9",
            "\xc3\xa9", "\x14", QByteArray(1, '\0'), " "};
    for (int round = 0; round < 400; ++round) {
        QByteArray stream;
        const int parts = std::uniform_int_distribution<int>(1, 60)(random);
        for (int i = 0; i < parts; ++i) {
            if (std::uniform_int_distribution<int>(0, 9)(random) == 0)
                stream += char(std::uniform_int_distribution<int>(0, 255)(random));
            else
                stream += pieces.at(std::uniform_int_distribution<qsizetype>(0, pieces.size() - 1)(random));
        }
        QList<QByteArray> cut;
        for (qsizetype at = 0; at < stream.size();) {
            const qsizetype length = std::uniform_int_distribution<qsizetype>(1, 16)(random);
            cut << stream.mid(at, length);
            at += length;
        }
        const Reading whole = readInPieces({stream});
        const Reading inCuts = readInPieces(cut);
        ASSERT_EQ(inCuts.events, whole.events) << "round " << round;
        ASSERT_EQ(inCuts.name, whole.name);
        ASSERT_EQ(inCuts.number, whole.number);
        for (const QString& text : {whole.name, whole.number}) {
            for (const QChar c : text)
                ASSERT_TRUE(c.unicode() >= 0x20 && c.unicode() != 0x7f) << "round " << round;
        }
    }
}

// What the fake modem sends, in each of its formats, reads back as the caller.
TEST(ModemLineReader_Read, ReadsEveryFormatTheFakeModemSends)
{
    const QDateTime when(QDate(2026, 12, 10), QTime(23, 59));
    for (const QString& formatName : FakeCallerId::formatNames()) {
        for (const bool withheld : {false, true}) {
            const FakeCallerId callerId{
                u"5551234"_s, u"Zoë Ann-Lee"_s, *FakeCallerId::formatNamed(formatName), withheld};
            const Reading reading = readInPieces({FakeModem::callerIdBlock(callerId, when)});
            const std::string what = formatName.toStdString() + (withheld ? ", withheld" : "");
            EXPECT_EQ(reading.name, withheld ? u"UNKNOWN"_s : u"Zoë Ann-Lee"_s) << what;
            EXPECT_EQ(reading.number, withheld ? u"UNKNOWN"_s : u"5551234"_s) << what;
        }
    }
}

} // namespace
