#include "common/AppPaths.h"
#include "common/CallStore.h"
#include "common/RegistryRoutines.h"
#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/HeadlessBrowser.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// A program folder laid out as `make run` lays it out (data files, the
// defaults), with the web server in a process of its own on a port the system
// picks.
class WebProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcess install;
        install.setProcessEnvironment(env.processEnvironment());
        install.start(QStringLiteral("bash"),
            {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/install-data"), env.programFolder(),
                TestEnvironment::binary(QStringLiteral("ringvale-reg"))});
        ASSERT_TRUE(install.waitForFinished(testTimeout(20000)));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        if (host.state() != QProcess::NotRunning) {
            host.terminate();
            if (!host.waitForFinished(testTimeout(5000)))
                host.kill();
        }
    }

    void startHost()
    {
        host.setProcessEnvironment(env.processEnvironment());
        host.start(QStringLiteral(RINGVALE_WEB_HOST), {});
        ASSERT_TRUE(host.waitForStarted(testTimeout(5000)));
        ASSERT_TRUE(host.waitForReadyRead(testTimeout(5000))) << host.readAllStandardError().toStdString();
        const QByteArray line = host.readLine().trimmed();
        ASSERT_TRUE(line.startsWith("port ")) << line.toStdString();
        bool ok = false;
        port = line.mid(5).toUShort(&ok);
        ASSERT_TRUE(ok && port > 0) << line.toStdString();
    }

    // The credentials the installation made.
    static QString webValue(const char* name)
    {
        return RegistryRoutines::forProduct(QStringLiteral("RemoteAccess\\TabInternetAccess"))
            .getString(QString::fromLatin1(name));
    }

    static QByteArray authorization()
    {
        return "Authorization: Basic "
            + (webValue("txtWWWUserName") + u':' + webValue("txtWWWPass")).toUtf8().toBase64() + "\r\n";
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
        const Answer answer = splitAnswer(
            exchange(port, QByteArray("GET /") + name + " HTTP/1.0\r\n" + authorization() + "\r\n"));
        EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK") << name;
        EXPECT_EQ(answer.body, shipped.readAll()) << name;
    }
    host.terminate();
    ASSERT_TRUE(host.waitForFinished(testTimeout(5000)));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_FALSE(Client(port).connected());
}

// An installation never serves the calls and their delete links to the
// network without the password it made.
TEST_F(WebProcessTest, InstalledPagesAskForTheGeneratedPassword)
{
    const QString user = webValue("txtWWWUserName");
    const QString password = webValue("txtWWWPass");
    ASSERT_FALSE(user.isEmpty());
    ASSERT_GE(password.size(), 16);
    ASSERT_NO_FATAL_FAILURE(startHost());
    const struct {
        const char* name;
        QByteArray authorization;
        QByteArray status;
    } rows[] = {
        {"no credentials", {}, "HTTP/1.0 401 Access Denied"},
        {"wrong password", "Authorization: Basic " + (user + u":x").toUtf8().toBase64() + "\r\n",
            "HTTP/1.0 401 Access Denied"},
        {"generated ones", authorization(), "HTTP/1.0 200 OK"},
    };
    for (const auto& row : rows) {
        const Answer answer
            = splitAnswer(exchange(port, "GET /calls HTTP/1.0\r\n" + row.authorization + "\r\n"));
        EXPECT_EQ(answer.statusLine, row.status) << row.name;
    }
}

TEST_F(WebProcessTest, BrowserShowsTheCallOnTheCallsPage)
{
    const std::optional<QString> chromium = HeadlessBrowser::chromium();
    if (!chromium)
        GTEST_SKIP() << "chromium is not installed (scripts/bootstrap installs it)";

    // The call as the service stores it at the end of a call.
    ASSERT_TRUE(AddCallRecord(WebFixture::call(QStringLiteral("Ada Browser"), QStringLiteral("5550199"),
                                  QStringLiteral("11:12:13")),
        WebFixture::kDay, false, 30));
    ASSERT_NO_FATAL_FAILURE(startHost());

    const QString shot = HeadlessBrowser::screenshotFolder() + QStringLiteral("/web-calls-page.png");
    const HeadlessBrowser::Page page = HeadlessBrowser::load(*chromium,
        QStringLiteral("http://%1:%2@127.0.0.1:%3/calls")
            .arg(webValue("txtWWWUserName"), webValue("txtWWWPass"))
            .arg(port),
        shot);
    ASSERT_TRUE(page.finished) << "chromium did not finish";
    EXPECT_TRUE(page.dom.contains(u"5550199")) << page.dom.toStdString() << page.errors.toStdString();
    EXPECT_TRUE(page.dom.contains(u"Ada Browser"));
    EXPECT_TRUE(page.dom.contains(u"Ringvale 1.1"));
    EXPECT_GT(QFileInfo(shot).size(), 1000) << "screenshot " << shot.toStdString();
}

// The calls page's own Delete link, clicked in a real browser, deletes: the
// browser names the page it comes from, as the server asks.
TEST_F(WebProcessTest, BrowserDeletesThroughThePagesOwnLink)
{
    const std::optional<QString> chromium = HeadlessBrowser::chromium();
    if (!chromium)
        GTEST_SKIP() << "chromium is not installed (scripts/bootstrap installs it)";
    ASSERT_TRUE(AddCallRecord(WebFixture::call(QStringLiteral("Ada Browser"), QStringLiteral("5550199"),
                                  QStringLiteral("11:12:13")),
        WebFixture::kDay, false, 30));
    ASSERT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")).count('\n'), 1);
    // A page of the site that shows the calls page in a frame and clicks its
    // first Delete link once it is there.
    WebFixture::writeFile(QStringLiteral("WWW/click-delete.html"), R"(<html><body>
<iframe id="calls" src="/calls"></iframe><p id="state">waiting</p>
<script>
const frame = document.getElementById('calls');
frame.onload = () => {
  const link = frame.contentDocument.querySelector('a[href^="/del?call="]');
  if (link) { document.getElementById('state').textContent = 'clicked'; link.click(); }
  else document.getElementById('state').textContent = 'answered';
};
</script></body></html>)");
    ASSERT_NO_FATAL_FAILURE(startHost());

    const HeadlessBrowser::Page page = HeadlessBrowser::load(*chromium,
        QStringLiteral("http://%1:%2@127.0.0.1:%3/click-delete.html")
            .arg(webValue("txtWWWUserName"), webValue("txtWWWPass"))
            .arg(port),
        HeadlessBrowser::screenshotFolder() + QStringLiteral("/web-delete-click.png"),
        {QStringLiteral("--virtual-time-budget=10000")});
    ASSERT_TRUE(page.finished) << "chromium did not finish";
    EXPECT_TRUE(page.dom.contains(u"answered")) << page.dom.toStdString() << page.errors.toStdString();
    EXPECT_TRUE(waitUntil([] { return WebFixture::readFile(QStringLiteral("Data/Last")).isEmpty(); }))
        << WebFixture::readFile(QStringLiteral("Data/Last")).toStdString();
}

} // namespace
