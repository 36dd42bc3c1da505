#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "service/line/mdlCalls.h"
#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A program folder laid out as `make run` lays it out (data files, the
// defaults), with the web server in a process of its own on a free port.
class WebProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcess install;
        install.setProcessEnvironment(env.processEnvironment());
        install.start(QStringLiteral("bash"), {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/install-data"),
                                               env.programFolder(), TestEnvironment::binary(QStringLiteral("ringvale-reg"))});
        ASSERT_TRUE(install.waitForFinished(20000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
        // Any free port instead of the defaults' 8080, which a running service may hold.
        ASSERT_TRUE(RegistryRoutines::forProduct(QStringLiteral("RemoteAccess\\TabInternetAccess"))
                        .setString(QStringLiteral("txtWWWPort"), QStringLiteral("0")));
    }

    void TearDown() override
    {
        if (host.state() != QProcess::NotRunning) {
            host.terminate();
            if (!host.waitForFinished(5000))
                host.kill();
        }
    }

    void startHost()
    {
        host.setProcessEnvironment(env.processEnvironment());
        host.start(QStringLiteral(RINGVALE_WEB_HOST), {});
        ASSERT_TRUE(host.waitForStarted(5000));
        ASSERT_TRUE(host.waitForReadyRead(5000)) << host.readAllStandardError().toStdString();
        const QByteArray line = host.readLine().trimmed();
        ASSERT_TRUE(line.startsWith("port ")) << line.toStdString();
        bool ok = false;
        port = line.mid(5).toUShort(&ok);
        ASSERT_TRUE(ok && port > 0) << line.toStdString();
    }

    TestEnvironment env;
    QProcess host;
    quint16 port = 0;
};

TEST_F(WebProcessTest, ServesTheInstalledFilesAndEndsOnTerminate)
{
    ASSERT_NO_FATAL_FAILURE(startHost());
    for (const char* name : {"favicon.ico", "robots.txt"}) {
        QFile shipped(QStringLiteral(RINGVALE_SOURCE_DIR "/data/WWW/") + QString::fromLatin1(name));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << name;
        const Answer answer = splitAnswer(exchange(port, QByteArray("GET /") + name + " HTTP/1.0\r\n\r\n"));
        EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK") << name;
        EXPECT_EQ(answer.body, shipped.readAll()) << name;
    }
    host.terminate();
    ASSERT_TRUE(host.waitForFinished(5000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_FALSE(Client(port).connected());
}

TEST_F(WebProcessTest, BrowserShowsTheCallOnTheCallsPage)
{
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (scripts/bootstrap installs it)";

    // The call as the service stores it at the end of a call.
    ASSERT_TRUE(AddCallRecord(WebFixture::call(QStringLiteral("Ada Browser"), QStringLiteral("5550199"),
                                               QStringLiteral("11:12:13")),
                              WebFixture::kDay, false, 30));
    ASSERT_NO_FATAL_FAILURE(startHost());

    QTemporaryDir profile;
    const QString shots = QStringLiteral(RINGVALE_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(shots));
    const QString shot = shots + QStringLiteral("/web-calls-page.png");
    QFile::remove(shot);
    QProcess browser;
    browser.start(chromium, {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
                             QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
                             QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                             QStringLiteral("--user-data-dir=") + profile.path(),
                             QStringLiteral("--window-size=800,400"), QStringLiteral("--screenshot=") + shot,
                             QStringLiteral("--dump-dom"),
                             QStringLiteral("http://127.0.0.1:%1/calls").arg(port)});
    ASSERT_TRUE(browser.waitForStarted(10000));
    if (!browser.waitForFinished(60000)) {
        browser.kill();
        browser.waitForFinished(5000);
        FAIL() << "chromium did not finish";
    }
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    EXPECT_TRUE(dom.contains(u"5550199")) << dom.toStdString() << browser.readAllStandardError().toStdString();
    EXPECT_TRUE(dom.contains(u"Ada Browser"));
    EXPECT_TRUE(dom.contains(u"Ringvale 1.1"));
    EXPECT_GT(QFileInfo(shot).size(), 1000) << "screenshot " << shot.toStdString();
}

} // namespace
