#include "common/CallRecord.h"
#include "common/ProgramPath.h"
#include "common/WaveFile.h"
#include "common/WaveFormats.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

using DialledCallRecording = LiveLine;

// The answer to one GET on 127.0.0.1, head and body.
QByteArray httpGet(quint16 port, const QByteArray& path)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET " + path + " HTTP/1.0\r\n\r\n");
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    return answer + socket.readAll();
}

// Dialled with "CallOutRec" through the real service, answered by a far end
// that says something, hung up: the recording is in the day folder, the call
// on top of the recent calls, and the web server serves the same bytes.
TEST_F(DialledCallRecording, IsInTheDayFolderAndServedByTheWebServer)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray said;
    for (int i = 0; i < 1600; ++i) {
        const qint16 sample = qint16(6000 * std::sin(i / 4.0));
        said.append(reinterpret_cast<const char*>(&sample), 2);
    }
    const QString hi = dir.filePath(u"hi.wav"_s);
    QFile wave(hi);
    ASSERT_TRUE(wave.open(QIODevice::WriteOnly));
    wave.write(SerializeWaveFile(PcmWaveFormat(8000, 1, 16), said));
    wave.close();

    set(u"RemoteAccess\\TabInternetAccess"_s, u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    set(u"RemoteAccess\\TabInternetAccess"_s, u"chkWWWProtect"_s, u"0"_s);
    ASSERT_NO_FATAL_FAILURE(start());
    const quint16 port = env.waitForWebPort();
    ASSERT_NE(port, 0);

    ASSERT_TRUE(command(u"CallOutRec\r\n5559876"_s));
    ASSERT_TRUE(waitForEvent(u"Tapi_Dialing\r\n0"_s));
    ASSERT_EQ(line({u"answer"_s, u"--audio"_s, hi}).exitCode, 0);
    ASSERT_TRUE(waitForEvent(u"Tapi_Connected\r\n0"_s));
    // Hung up once the far end has been heard out.
    const auto heard
        = [&] { return line({u"status"_s}).out.contains(u"far-end sound not yet heard: 0 samples"_s); };
    ASSERT_TRUE(waitUntil(heard, 10000)) << line({u"status"_s}).out.toStdString();
    const QString folder = *ProgramPath::toNative(todaysFolder(), env.programFolder());
    ASSERT_EQ(line({u"hangup"_s, u"--fast"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(1));

    const std::optional<CallRecord> stored = record(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(trimmed(stored->CallType), u"4"_s);
    EXPECT_EQ(last().value(0), lastEntryOf(1));
    const QString name = recordingFileName(*stored);
    EXPECT_TRUE(name.startsWith(u"UNKNOWN_5559876_"_s)) << name.toStdString();
    QFile file(folder + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << QString(folder + name).toStdString();
    const QByteArray bytes = file.readAll();
    QString error;
    const std::optional<WaveFileData> parsed = ParseWaveFile(bytes, &error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->format, PcmWaveFormat(8000, 1, 16));
    EXPECT_TRUE(parsed->data.contains(said)) << "the far end's words";

    // The recordings route: the folder below Data/Log, in small letters.
    const QString below = todaysFolder().mid(QStringLiteral("\\Data\\Log\\").size()).replace(u'\\', u'/');
    const QByteArray answer
        = httpGet(port, "/messages/data/log/" + below.toUtf8() + QUrl::toPercentEncoding(name, "_-."));
    const qsizetype bodyAt = answer.indexOf("\r\n\r\n");
    ASSERT_GE(bodyAt, 0) << answer.left(200).toStdString();
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 200 OK")) << answer.left(200).toStdString();
    EXPECT_TRUE(answer.mid(bodyAt + 4) == bytes) << "served " << answer.size() - bodyAt - 4 << " bytes";
}

} // namespace
