#include "platform/FakeModem.h"
#include "platform/SystemSerialPort.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A program's side of the cable: the port opened on the modem's link.
class FakeModemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_link = m_folder.filePath(u"modem"_s);
        QString error;
        ASSERT_TRUE(m_modem.start(m_link, &error)) << error.toStdString();
        ASSERT_TRUE(m_port.open(m_link).ok());
        QObject::connect(&m_port, &SerialPort::Received, [this](const QByteArray& bytes) { m_got += bytes; });
    }

    // Sends the command and waits for what the modem says back to it, which
    // must end with the text expected (anything more would show up in the
    // next exchange).
    bool exchange(const QByteArray& command, const QByteArray& expected)
    {
        m_got.clear();
        m_port.write(command);
        return waitUntil([&] { return m_got == expected; }, 3000);
    }

    QTemporaryDir m_folder;
    QString m_link;
    FakeModem m_modem;
    SystemSerialPort m_port;
    QByteArray m_got;
};

TEST_F(FakeModemTest, EchoesAndAnswersEachCommandAsToldUntilEchoIsOff)
{
    m_modem.setErrorCommands({u"at#cid=1"_s});
    m_modem.setSilentCommands({u" AT+VCID=1 "_s});
    struct Case {
        QByteArray command;
        QByteArray answer;
    };
    const Case cases[] = {
        {"ATZ\r", "ATZ\r\r\nOK\r\n"},
        {"AT#CID=1\r", "AT#CID=1\r\r\nERROR\r\n"},
        // Silence: the echo and nothing after it; the next answer proves it.
        {"AT+VCID=1\r", "AT+VCID=1\r"},
        {"\r\nATI\r", "ATI\r\r\nOK\r\n"},
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"AT#CID=1\r", "\r\nERROR\r\n"},
        {"AT\r", "\r\nOK\r\n"},
        {"ATE1\r", "\r\nOK\r\n"},
        {"AT\r", "AT\r\r\nOK\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(exchange(c.command, c.answer)) << c.command.constData() << " gave " << m_got.constData();
    EXPECT_EQ(m_modem.commands(),
        QStringList({u"ATZ"_s, u"AT#CID=1"_s, u"AT+VCID=1"_s, u"ATI"_s, u"ATE0"_s, u"AT#CID=1"_s, u"AT"_s,
            u"ATE1"_s, u"AT"_s}));
}

TEST_F(FakeModemTest, SendsRingsCallerIdAndRawBytesToTheOpenPort)
{
    const QDateTime when(QDate(2026, 12, 10), QTime(9, 30));
    EXPECT_EQ(
        FakeModem::callerIdBlock({u"5551234"_s, u"Ann Lee"_s, FakeCallerId::Format::Formatted, false}, when),
        QByteArray("\r\nDATE=1210\r\nTIME=0930\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n"));
    EXPECT_EQ(
        FakeModem::callerIdBlock({u"5551234"_s, u"Ann Lee"_s, FakeCallerId::Format::Spaced, true}, when),
        QByteArray("\r\nDATE = 1210\r\nTIME = 0930\r\nNMBR = P\r\nNAME = P\r\n"));
    EXPECT_EQ(FakeModem::callerIdBlock(
                  {u"5551234"_s, u"Ann Lee"_s, FakeCallerId::Format::Unformatted, false}, when),
        QByteArray("\r\n801C010831323130303933300207353535313233340707416E6E204C6565F8\r\n"));

    ASSERT_TRUE(m_modem.ring());
    ASSERT_TRUE(m_modem.sendRaw(QByteArray("\x10X", 2)));
    EXPECT_TRUE(waitUntil([&] { return m_got == QByteArray("\r\nRING\r\n\x10X"); })) << m_got.constData();
}

TEST(FakeModem_Start, LinksToItsTerminalAndRemovesTheLinkWhenItEnds)
{
    QTemporaryDir folder;
    const QString link = folder.filePath(u"modem"_s);
    ASSERT_TRUE(QFile::link(u"/nonexistent"_s, link));
    {
        FakeModem modem;
        QString error;
        ASSERT_TRUE(modem.start(link, &error)) << "a stale link is replaced";
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), modem.devicePath());
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    const QString file = folder.filePath(u"file"_s);
    QFile plain(file);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    FakeModem modem;
    QString error;
    EXPECT_FALSE(modem.start(file, &error));
    EXPECT_TRUE(error.contains(u"not a link"_s));
    EXPECT_TRUE(QFileInfo(file).isFile()) << "a file that is not a link is left alone";
}

} // namespace
