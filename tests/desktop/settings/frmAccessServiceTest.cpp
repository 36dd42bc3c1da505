#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/settings/frmAccess.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Fetched {
    int curlExit = -1;
    QByteArray status;
    QByteArray body;
};

// curl as a browser would ask, with credentials when given.
Fetched fetch(quint16 port, const QString& credentials = QString())
{
    QProcess curl;
    QStringList args{u"-s"_s, u"--max-time"_s, u"5"_s, u"-w"_s, u"\n%{http_code}"_s};
    if (!credentials.isEmpty())
        args << u"-u"_s << credentials;
    args << u"http://127.0.0.1:%1/"_s.arg(port);
    curl.start(u"curl"_s, args);
    Fetched result;
    if (!curl.waitForFinished(testTimeout(10000)))
        return result;
    result.curlExit = curl.exitCode();
    const QByteArray out = curl.readAllStandardOutput();
    const qsizetype cut = out.lastIndexOf('\n');
    result.body = out.left(cut);
    result.status = out.mid(cut + 1);
    return result;
}

// The real service with its web server steered by the window's OK.
TEST(frmAccessServiceTest, OkOpensProtectsAndClosesTheServicesWebPage)
{
    TestEnvironment env;
    env.installDefaults();
    HubLink hub;
    SetHubLink(&hub);
    auto svc = std::make_unique<Svc>(env, QStringList{u"-gc"_s}, std::nullopt, false);
    ASSERT_TRUE(waitUntil([&] { return hub.udiProc.Channel(ChannelNumber::ProcChannel); }));

    // The service listens on a port the system picks (the test environment's
    // port file), whatever port the window stores.
    {
        frmAccess f;
        f.chkAllowWWWRemoteAccess->setChecked(true);
        f.chkWWWProtect->setChecked(false);
        f.txtWWWPort->setText(u"8090"_s);
        f.cmdOK->click();
    }
    // The port now listened on: an OK that changes the settings may have
    // started the server again.
    const auto port = [&] { return env.waitForWebPort(); };
    ASSERT_NE(port(), 0);
    Fetched page;
    EXPECT_TRUE(waitUntil([&] {
        page = fetch(port());
        return page.status == "200";
    })) << page.curlExit
        << " " << page.status.constData();
    EXPECT_TRUE(page.body.contains("<html")) << page.body.left(300).constData();

    {
        frmAccess f;
        f.chkWWWProtect->setChecked(true);
        f.txtWWWUserName->setText(u"ann"_s);
        f.txtWWWPass->setText(u"pw7"_s);
        f.cmdOK->click();
    }
    EXPECT_TRUE(waitUntil([&] { return fetch(port()).status == "401"; }));
    EXPECT_EQ(fetch(port(), u"ann:pw7"_s).status, "200");
    EXPECT_EQ(fetch(port(), u"ann:wrong"_s).status, "401");
    const quint16 last = port();

    {
        frmAccess f;
        f.chkAllowWWWRemoteAccess->setChecked(false);
        f.cmdOK->click();
    }
    // 7: curl could not connect.
    EXPECT_TRUE(waitUntil([&] { return fetch(last).curlExit == 7; }));
    EXPECT_EQ(RegistryRoutines::forProduct(u"RemoteAccess\\TabInternetAccess"_s)
                  .getString(u"chkAllowWWWRemoteAccess"_s),
        u"0");

    hub.udiProc.Send(u"UNLOAD"_s);
    EXPECT_EQ(svc->waitForExit(), 0);
    SetHubLink(nullptr);
}

} // namespace
