#include "platform/LineRequestServer.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RawSocket.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Taken {
    std::vector<std::optional<QByteArray>> lines;
};

LineRequestServer::Handler recordingHandler(Taken* taken)
{
    return [taken](QLocalSocket* socket, const std::optional<QByteArray>& line) {
        taken->lines.push_back(line);
        socket->write("ok\n");
        socket->disconnectFromServer();
    };
}

// Writes the chunks one after another and reads what comes back until the
// server closes the connection.
QByteArray ask(const QString& path, const std::vector<QByteArray>& chunks)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(testTimeout(2000)))
        return "not connected";
    QByteArray got;
    QObject::connect(&socket, &QLocalSocket::readyRead, [&] { got += socket.readAll(); });
    for (const QByteArray& chunk : chunks) {
        socket.write(chunk);
        socket.flush();
        QTest::qWait(1);
    }
    if (!waitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 3000))
        return "still connected";
    return got + socket.readAll();
}

TEST(LineRequestServer, TakesOneLinePerConnectionWhateverTheChunks)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"control.sock"_s);
    Taken taken;
    LineRequestServer server(16, recordingHandler(&taken));
    QString error;
    ASSERT_TRUE(server.listen(path, &error)) << error.toStdString();

    EXPECT_EQ(ask(path, {"sta", "tus\nand more\n"}), "ok\n");
    EXPECT_EQ(ask(path, {"0123456789abcdef", "g"}), "ok\n"); // over 16 bytes, no newline
    EXPECT_EQ(ask(path, {"0123456789abcdef\n"}), "ok\n"); // 16 bytes is still a line
    const std::vector<std::optional<QByteArray>> expected{"status", std::nullopt, "0123456789abcdef"};
    EXPECT_EQ(taken.lines, expected);
}

TEST(LineRequestServer, TakesOverAnEndedProgramsSocketButNotALivingOnes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"control.sock"_s);
    // What a program that was killed leaves: a socket file nobody listens on.
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        ASSERT_LT(size_t(name.size()), sizeof address.sun_path);
        std::copy(name.begin(), name.end(), address.sun_path);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        ASSERT_TRUE(QFile::exists(path));
    }
    Taken first;
    LineRequestServer living(64, recordingHandler(&first));
    QString error;
    ASSERT_TRUE(living.listen(path, &error)) << error.toStdString();

    Taken second;
    LineRequestServer other(64, recordingHandler(&second));
    EXPECT_FALSE(other.listen(path, &error));
    EXPECT_EQ(error, u"another program already serves at "_s + path);
    // The living one still has its socket.
    EXPECT_EQ(ask(path, {"hello\n"}), "ok\n");
    EXPECT_EQ(first.lines.size(), 1u);
    EXPECT_TRUE(second.lines.empty());
}

// Another local user who reaches the socket (its folder and the socket opened
// on purpose here) is closed on without an answer, as on the channels.
TEST(LineRequestServer, RefusesAnotherUsersProgram)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    QTemporaryDir folder;
    const QString path = folder.filePath(u"control.sock"_s);
    Taken taken;
    LineRequestServer server(64, recordingHandler(&taken));
    QString error;
    ASSERT_TRUE(server.listen(path, &error)) << error.toStdString();
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0777), 0);

    // Child: connect as the user, ask, exit 0 when closed on without a byte.
    const auto ask = [&path](uid_t uid) {
        const pid_t child = ::fork();
        if (child != 0)
            return child;
        if (::setuid(uid) != 0)
            ::_exit(3);
        const int fd = RawSocket::connectTo(path);
        if (fd < 0)
            ::_exit(4);
        pollfd out{fd, POLLOUT, 0};
        ::poll(&out, 1, 3000);
        if (::send(fd, "status\n", 7, MSG_NOSIGNAL) != 7)
            ::_exit(0); // closed already
        pollfd in{fd, POLLIN, 0};
        if (::poll(&in, 1, 3000) <= 0)
            ::_exit(5);
        char byte = 0;
        ::_exit(::recv(fd, &byte, 1, 0) <= 0 ? 0 : 6);
    };
    const auto finish = [](pid_t child) {
        int status = 0;
        EXPECT_TRUE(waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(finish(ask(65534)), 0);
    EXPECT_TRUE(taken.lines.empty());
    EXPECT_EQ(finish(ask(::geteuid())), 6) << "this user's program is answered";
    EXPECT_EQ(taken.lines.size(), 1u);
}

} // namespace
