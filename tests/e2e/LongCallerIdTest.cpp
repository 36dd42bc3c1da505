// The real desktop over the real service, sent caller IDs of any size on 309
// by a local program: it cuts them before it lays out a label, keeps running
// and keeps answering.
#include "common/AppPaths.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/RawSocket.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The socket of a program's endpoint on a channel.
QString endpointOf(qint64 pid, int number)
{
    const QDir folder(AppPaths::runtimeFolder());
    const QString prefix = u"chan_%1_%2_"_s.arg(number).arg(pid);
    const QStringList names = folder.entryList({prefix + u'*'}, QDir::System | QDir::NoDotAndDotDot);
    return names.isEmpty() ? QString() : folder.filePath(names.first());
}

// Sends a text that claims `length` bytes, as far as the receiver takes it;
// true when the receiver closed the connection before all of it went.
bool refusedWhole(const QString& path, quint32 length)
{
    const int fd = RawSocket::connectTo(path);
    if (fd < 0)
        return false;
    const bool refused = RawSocket::sendClaiming(fd, length, length) < length;
    ::close(fd);
    return refused;
}

TEST(LongCallerIdEndToEnd, DesktopCutsCallerIdsOfAnySizeAndKeepsAnswering)
{
    FakeSystemctl systemctl;
    ASSERT_TRUE(systemctl.isValid());
    systemctl.setState(u"not-found"_s, u"inactive"_s);
    TestEnvironment env;
    env.installShippedDefaults();
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
    ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
        env.programFolder() + u"/Trans/English.txt"_s));
    const auto set = [](const QString& key, const QString& name, const QString& value) {
        ASSERT_TRUE(RegistryRoutines::forProduct(key).setString(name, value)) << name.toStdString();
    };
    set(QString(), u"First"_s, u"0"_s);
    set(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s, u"0"_s);
    // The pop-up shows the caller: the label that froze on a long name.
    set(u"Events\\TabInCommingCall"_s, u"chkICViewCD"_s, u"1"_s);
    set(u"Events\\TabInCommingCall"_s, u"cmbCallDisplayStyleIncomming"_s, u"0"_s);
    set(u"Events\\TabInCommingCall"_s, u"chkWhenCallerID"_s, u"0"_s);

    ChannelListener listener(env, {u"308"_s, u"307"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    QProcessEnvironment environment = env.processEnvironment();
    if (environment.value(u"QT_QPA_PLATFORM"_s).isEmpty())
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QT_LOGGING_RULES"_s, u"ringvale.shell.debug=true"_s);
    QProcess desktop;
    const auto cleanup = qScopeGuard([&desktop] {
        if (desktop.state() != QProcess::NotRunning) {
            desktop.kill();
            desktop.waitForFinished();
        }
        MessageControl proc;
        if (proc.Channel(ChannelNumber::ProcChannel)) {
            proc.Send(MessageName::Unload.toString());
            proc.Flush(2000);
        }
    });
    desktop.setProcessEnvironment(environment);
    desktop.start(TestEnvironment::binary(u"Ringvale"_s), {});
    QByteArray errors;
    const auto said = [&] {
        errors += desktop.readAllStandardError();
        return errors;
    };
    const auto hellos = [&] { return listener.waitForLines(0, 0).count("308 HELLO"); };
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<QByteArray> lines = listener.waitForLines(0, 0);
            return lines.count("308 HELLO") >= 3 && lines.contains("307 LineStatus\\r\\n0\\r\\n0\\r\\nFalse");
        },
        20000))
        << listener.waitForLines(0, 0).join('\n').toStdString() << said().toStdString();
    const QString callerIds = endpointOf(desktop.processId(), ChannelNumber::CallerIdChannel);
    ASSERT_FALSE(callerIds.isEmpty());

    // 200 MB and 10 MB: more than a channel takes, the sender is dropped.
    EXPECT_TRUE(refusedWhole(callerIds, 200u * 1000 * 1000));
    EXPECT_TRUE(refusedWhole(callerIds, 10u * 1000 * 1000));

    // The largest text a channel takes: a name of nearly 1 MiB.
    MessageControl events;
    MessageControl sender;
    ASSERT_TRUE(waitUntil([&] { return events.Channel(ChannelNumber::EventChannel); }));
    ASSERT_TRUE(waitUntil([&] { return sender.Channel(ChannelNumber::CallerIdChannel); }));
    events.Send(ChannelMessages::tapiIncomming(0, false));
    ChannelMessages::CallerIdFields fields;
    fields.callerName = u"Ann "_s + QString(1024 * 1024 - 200, u'N');
    fields.callerNumber = QString(100, u'5');
    fields.showCallDetails = true;
    QElapsedTimer shown;
    shown.start();
    sender.Send(ChannelMessages::tapiCid(0, fields));
    const QByteArray cut = "caller shown: pop-up name \"Ann " + QByteArray(28, 'N') + "\" number \""
        + QByteArray(32, '5') + '"';
    ASSERT_TRUE(waitUntil([&] { return said().contains(cut); }, 10000)) << said().right(2000).toStdString();
    RecordProperty("shownAfterMs", static_cast<int>(shown.elapsed()));

    // The end of the call greets the service: the desktop still answers.
    const int before = hellos();
    MessageControl idle;
    ASSERT_TRUE(waitUntil([&] { return idle.Channel(ChannelNumber::IdleChannel); }));
    idle.Send(ChannelMessages::tapiIdle(0, u"0"_s));
    EXPECT_TRUE(waitUntil([&] { return hellos() > before; }, 10000)) << said().right(2000).toStdString();
    EXPECT_EQ(desktop.state(), QProcess::Running);
}

} // namespace
