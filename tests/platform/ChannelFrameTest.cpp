#include "platform/ChannelFrame.h"
#include "tests/support/QtPrinters.h"

#include <QList>

#include <gtest/gtest.h>

TEST(ChannelFrame, LengthIsFourBytesBigEndianBeforeThePayload)
{
    EXPECT_EQ(ChannelFrame::encode("abc"),
        QByteArray("\0\0\0\x03"
                   "abc",
            7));
    EXPECT_EQ(ChannelFrame::encode({}), QByteArray(4, '\0'));
    EXPECT_EQ(ChannelFrame::encode(QByteArray(0x010203, 'x')).left(4), QByteArray("\0\x01\x02\x03", 4));
}

// Bytes come in whatever pieces the socket gives; texts still come out whole.
TEST(ChannelFrame, ReaderGivesWholePayloadsFromAnySplit)
{
    const QList<QByteArray> payloads = {QByteArray("Tapi_Ring\r\n0\r\n3\r\nFalse"), QByteArray(),
        QByteArray("a\0b\x14"
                   "c\r\n",
            7),
        QByteArray(100000, 'z')};
    QByteArray stream;
    for (const QByteArray& p : payloads)
        stream += ChannelFrame::encode(p);

    for (const qsizetype piece : {qsizetype(1), qsizetype(3), qsizetype(4096), stream.size()}) {
        ChannelFrame::Reader reader;
        QList<QByteArray> out;
        for (qsizetype at = 0; at < stream.size(); at += piece) {
            reader.append(stream.mid(at, piece));
            while (std::optional<QByteArray> p = reader.next())
                out.append(*p);
        }
        EXPECT_EQ(out, payloads) << "pieces of " << piece;
        EXPECT_EQ(reader.buffered(), 0);
        EXPECT_FALSE(reader.failed());
    }
}

TEST(ChannelFrame, ReaderRefusesALengthBeyondTheLimit)
{
    ChannelFrame::Reader reader;
    reader.append(ChannelFrame::encode("ok"));
    reader.append(QByteArray("\x7f\xff\xff\xff"
                             "junk",
        8));
    EXPECT_EQ(reader.next(), QByteArray("ok"));
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.failed());
    reader.append(ChannelFrame::encode("later"));
    EXPECT_FALSE(reader.next());
}
