#include "common/AppPaths.h"
#include "common/ChannelMessages.h"
#include "common/ContactRecord.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "platform/SingleInstanceLock.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/DataFiles.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

bool serviceEnded()
{
    const SingleInstanceLock lock(AppPaths::runtimeFolder() + u"/RingvaleSvc.lock"_s);
    return lock.state() == SingleInstanceLock::State::Acquired;
}

// The real desktop over the real service: a call on the simulated line from
// a known contact reaches the pop-up, and the end of the call greets the
// service twice.
TEST(CallerPopUpEndToEnd, ACallFromAContactReachesThePopUpAndTheEndGreetsTwice)
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
    set(u"Events\\TabInCommingCall"_s, u"chkICViewCD"_s, u"1"_s);
    set(u"Events\\TabInCommingCall"_s, u"cmbCallDisplayStyleIncomming"_s, u"0"_s);
    set(u"Events\\TabInCommingCall"_s, u"chkWhenCallerID"_s, u"0"_s);
    ContactRecord ann = contactAsEditorWrites(u"Ann Lee (work)"_s, u"5551234"_s);
    ann.PictureFile = u"ann.png"_s;
    ann.EventsMode = u"3"_s;
    ann.ShowCallDetails = u"1"_s;
    ann.DisplayStyle = u"0"_s;
    ASSERT_NO_FATAL_FAILURE(writeContactFile({ann}));
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Pics"_s));
    // A one-pixel PNG.
    QFile picture(env.programFolder() + u"/Pics/ann.png"_s);
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write(QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg=="));
    picture.close();

    ChannelListener listener(env, {u"308"_s, u"307"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    QProcessEnvironment environment = env.processEnvironment();
    if (environment.value(u"QT_QPA_PLATFORM"_s).isEmpty())
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QT_LOGGING_RULES"_s, u"ringvale.shell.debug=true"_s);
    QProcess desktop;
    // Whatever failed, nothing started here outlives the test.
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
    // Greeted at start, and the service's line is open.
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<QByteArray> lines = listener.waitForLines(0, 0);
            return lines.count("308 HELLO") >= 3 && lines.contains("307 LineStatus\\r\\n0\\r\\n0\\r\\nFalse");
        },
        20000))
        << listener.waitForLines(0, 0).join('\n').toStdString() << said().toStdString();
    ASSERT_TRUE(staysFalse([&] { return hellos() > 3; }, 1200));

    QProcess call;
    call.setProcessEnvironment(env.processEnvironment());
    call.start(TestEnvironment::binary(u"ringvale-line"_s),
        {u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--fast"_s});
    ASSERT_TRUE(call.waitForFinished(testTimeout(20000)));
    ASSERT_EQ(call.exitCode(), 0) << call.readAllStandardError().toStdString();

    const QByteArray unknown = R"x(caller shown: pop-up name "UNKNOWN" number "UNKNOWN" contact "")x";
    const QByteArray known
        = R"x(caller shown: pop-up name "Ann Lee" number "5551234" contact "Ann Lee (work)")x";
    ASSERT_TRUE(waitUntil([&] { return said().contains(known); }, 20000)) << said().toStdString();
    EXPECT_LT(errors.indexOf(unknown), errors.indexOf(known)) << errors.toStdString();
    EXPECT_GE(errors.indexOf(unknown), 0) << errors.toStdString();

    // The end of the call (on 310 and 307) greets twice more, not four times.
    ASSERT_TRUE(waitUntil([&] { return hellos() >= 5; }, 20000)) << said().toStdString();
    EXPECT_TRUE(staysFalse([&] { return hellos() > 5; }, 2500));

    QProcess uia;
    uia.setProcessEnvironment(environment);
    uia.start(TestEnvironment::binary(u"Ringvale"_s), {u"-uia"_s});
    ASSERT_TRUE(uia.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(uia.exitCode(), 0);
    EXPECT_TRUE(desktop.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(desktop.exitCode(), 0);
    EXPECT_TRUE(waitUntil(serviceEnded, 20000));
}

} // namespace
