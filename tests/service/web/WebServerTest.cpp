#include "common/AppPaths.h"
#include "common/LastList.h"
#include "service/web/mdlHttp.h"
#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Raw text with LF line ends as every page writes CR LF.
QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

const QByteArray kTop = crlf(R"(<html>
<head><meta http-equiv="Content-Language" content="en-us">
<style> body { font-size:10pt }</style>
<style>tr { font-size:10pt }</style></head>
<body>
)");

const QByteArray kLinks = crlf(R"(<div align="center">
<center>
<table border="0" cellpadding="0" cellspacing="0" style="border-collapse: collapse" bordercolor="#111111" width="600" id="AutoNumber4">
<tr>
<a href="calls"><font face="Arial"color=#0000FF>Calls List</a> - <a href="Journal"><font face="Arial"color=#0000FF>Journal</a></font></td>
</tr>
</table>
</center>
</div>
)");

// The calls table of the fixture: three lines read, the stale middle one
// dropped, two rows.
const QByteArray kFixtureCalls = crlf(R"(<center>
<table border="0" cellpadding="0" cellspacing="0" style="border-collapse: collapse" bordercolor="#111111" width="600" id="AutoNumber1" height="60">
<form method="POST">
<tr>
<td width="550%" bgcolor="#3366FF"><p align="left"><b>
<font face="Arial" size="2" size="4" color="#FFFFFF">&nbsp;</font></b><font face="Arial" size="2"><b><font color="#FFFFFF" size="4">Calls
List -</font></b> </font>
<font size="2" color="#FFFFFF" face="Arial">12/10/2026 14:05:09</font><font color="#FFFFFF" face="Arial">
| <font size="2">3 Calls</font></font></td>
</tr>
</table>
<center>
<table width="600" style="border-collapse: collapse" bordercolor="#EAEFF2" cellpadding="0" cellspacing="0" bgcolor="#FEBE47 border="1">
<tr style="font-size: 10pt">
<td align="center" bgColor="#FEBE47" height="25" valign="bottom"><font color="#FFFFFF"><B>Date-Time</B></font></td>
<td align="center" bgColor="#FEBE47" height="25" valign="bottom"><font color="#FFFFFF"><B>Name</B></font></td>
<td align="center" bgColor="#FEBE47" height="25" valign="bottom"><font color="#FFFFFF"><B>Number</B></font></td>
<td align="center" bgColor="#FEBE47" height="25" valign="bottom"><font color="#FFFFFF"><B>Contact</B></font></td>
<td align="center" bgColor="#FEBE47" height="25" valign="bottom"><font color="#FFFFFF"></font></td>
</tr>
<tr style="font-size: 10pt">
<td bgcolor='#ffffff'><p align=center><font face="Arial" size="2">12/10/2026-10:30:05</td><font>
<td bgcolor='#ffffff'><p align=center><font face="Arial" size="2">UNKNOWN</td></font>
<td bgcolor='#ffffff'><p align=center><font face="Arial" size="2">5550100</td></font>
<td bgcolor='#ffffff'><p align=center><font face="Arial" size="2"></td><font>
<td bgcolor='#ffffff'><p align=center><font face="Arial" size="2"><a href=/del?call=1><font color=red>Delete</a></td></font>
</tr>
<tr style="font-size: 10pt">
<td bgcolor='#EAEFF2'><p align=center><font face="Arial" size="2">12/10/2026-09:15:00</td><font>
<td bgcolor='#EAEFF2'><p align=center><font face="Arial" size="2">Jane &lt;Roe&gt;</td></font>
<td bgcolor='#EAEFF2'><p align=center><font face="Arial" size="2">5550142</td></font>
<td bgcolor='#EAEFF2'><p align=center><font face="Arial" size="2">Jane &amp; Co</td><font>
<td bgcolor='#EAEFF2'><p align=center><font face="Arial" size="2"><a href=/del?call=2><font color=red>Delete</a></td></font>
</tr>
</table>
</center>
)");

const QByteArray kFooter = crlf(R"(
<br><br><font face="Arial" size="1">Ringvale 1.1</font>
</html>)");

const QByteArray kFixtureJournal = crlf(R"(<center>
<table border="0" cellpadding="0" cellspacing="0" style="border-collapse: collapse" bordercolor="#111111" width="600" id="AutoNumber3" bgcolor="#3366FF" height="60">
<tr>
<td width="100%"><font face="Arial" size="2"><b>
<font color="#FFFFFF" size="4">&nbsp;Journal -</font></b>
<font size="2" color="#FFFFFF">12/10/2026 14:05:09</font></font></td>
</tr>
</table>
<center>
<table style="BORDER-COLLAPSE: collapse" cellSpacing="0" border="0" width="600">
<tr style="font-size: 10pt">
<td vAlign="top" align="middle" width="100%">
<table id="AutoNumber2" style="BORDER-COLLAPSE: collapse" borderColor="#111111" cellSpacing="0" cellPadding="0" width="100%" border="0">
<tr style="font-size: 10pt">
<form method="get">
<td vAlign="top" width="31%"><select name="dt"><option>12-10-2026_Calls.txt</option>
<option>12-10-2026_WWW.txt</option>
<option selected>12-09-2026_Sys.txt</option>
<option>01-05-2026_Sys.txt</option>
</select>
<input type="submit" value="View"></td>
</form>
</tr>
<tr style="font-size: 10pt">
<td vAlign="top" width="69%"><textarea rows="27" cols="72">
10:00:00 : -&gt;Opening Ringvale 1.1 Process(0)
10:00:01 : OpenWeb-&gt;x &lt; y &amp; z(0)
10:00:02 : last line
</textarea></td>
</tr>
</table>
<p align="center">&nbsp;</p>
<p align="center">&nbsp;</p>
<p align="center">&nbsp;</p>
<p align="center">&nbsp;</td>
</tr>
</table>
</center>
</center>
)");

const QByteArray kVersion = " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";

QByteArray okHead(const QByteArray& type, qsizetype length)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(length)
        + "\r\nConnection: close\r\n";
}

const QByteArray kNotFound = "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain; charset=utf-8\r\n"
                             "Content-Length: 16\r\nConnection: close\r\n\r\nInternal Error\r\n";

quint64 inodeOf(const QString& path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_ino) : 0;
}

enum class Page { Calls, CallsWithoutFooter, Journal, None };

Page pageOf(const QByteArray& body)
{
    if (!body.startsWith(QByteArray(kTop + kLinks)))
        return Page::None;
    const QByteArray rest = body.mid(kTop.size() + kLinks.size());
    if (rest.startsWith("\r\n<center>") && rest.contains("Calls\r\nList -"))
        return rest.endsWith("</html>") ? Page::Calls : Page::CallsWithoutFooter;
    if (rest.contains("&nbsp;Journal -"))
        return Page::Journal;
    return Page::None;
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override { WebFixture::install(); }

    WebAccessSettings open() const { return openWebSettings(); }

    TestEnvironment env;
};

TEST_F(WebServerTest, AnswersEachRouteAsTheTableSays)
{
    ServerThread server(open());
    ASSERT_TRUE(server.started());
    struct Case {
        QByteArray request;
        Page page;
        const char* why;
    };
    const Case cases[] = {
        {get("/"), Page::Calls, "the empty path is the calls page"},
        {get("/calls"), Page::Calls, ""},
        {get("/CALLS"), Page::Calls, "paths are lower-cased"},
        {get("/x/"), Page::Calls, "a path ending in / is the calls page"},
        {get("/Journal"), Page::Journal, ""},
        {get("/journal?dt=12-09-2026_SYS.TXT"), Page::Journal, ""},
        {fromOwnPage("/del?call=abc"), Page::CallsWithoutFooter, "no number: nothing deleted"},
        {get("/?x=1"), Page::Calls, "the query is ignored"},
        {get("/calls?x=1"), Page::Calls, "the query is ignored"},
        {get("/Journal?x=1"), Page::Journal, "a query that names no file"},
        {"POST /calls HTTP/1.0\r\nContent-Length: 5\r\n\r\nhello", Page::Calls, "a POST body is ignored"},
        {"GET /Journal\r\n", Page::Journal, "a bare request line names its path"},
        {"GET /\n\n", Page::Calls, "LF-only line ends"},
    };
    for (const Case& c : cases) {
        const Answer answer = splitAnswer(exchange(server.port(), c.request));
        EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK") << c.request.toStdString();
        EXPECT_EQ(answer.header("Content-Type"), "text/html; charset=utf-8") << c.request.toStdString();
        EXPECT_EQ(answer.header("Content-Length"), QByteArray::number(answer.body.size()));
        EXPECT_EQ(answer.header("Connection"), "close");
        EXPECT_EQ(int(pageOf(answer.body)), int(c.page)) << c.request.toStdString() << " " << c.why;
    }
    const Answer withFile = splitAnswer(exchange(server.port(), get("/journal?dt=12-09-2026_SYS.TXT")));
    EXPECT_TRUE(withFile.body.contains("10:00:02 : last line\r\n</textarea>"));
    EXPECT_TRUE(withFile.body.contains("<option selected>12-09-2026_Sys.txt</option>"))
        << "selected whatever the letter case of the request";
}

TEST_F(WebServerTest, RequestLinesGetTheirStatus)
{
    ServerThread server(open());
    exchange(server.port(), get("/calls")); // drops the stale line first
    const QByteArray last = WebFixture::readFile(QStringLiteral("Data/Last"));
    struct Case {
        QByteArray request;
        QByteArray status;
        const char* why;
    };
    const Case cases[] = {
        {get("/calls"), "HTTP/1.0 200 OK", ""},
        {"get / HTTP/1.0\r\n\r\n", "HTTP/1.0 501 Not Implemented", "methods are case-sensitive"},
        {"PUT / HTTP/1.0\r\n\r\n", "HTTP/1.0 501 Not Implemented", ""},
        {"DELETE /del?call=1 HTTP/1.0\r\n\r\n", "HTTP/1.0 501 Not Implemented", ""},
        {"GETX / HTTP/1.0\r\n\r\n", "HTTP/1.0 501 Not Implemented", "a method that only begins with GET"},
        {"\r\n\r\n", "HTTP/1.0 400 Bad Request", "no request line"},
        {" / HTTP/1.0\r\n\r\n", "HTTP/1.0 400 Bad Request", "no method"},
        {get("/logo.png?del?call=1"), "HTTP/1.0 404 Not Found", "a deletion only on its own path"},
        {get("/x/del?call=1"), "HTTP/1.0 404 Not Found", "a deletion only on its own path"},
        {get("/x/?del?call=1"), "HTTP/1.0 200 OK", "the calls page, nothing deleted"},
        {get("/del"), "HTTP/1.0 404 Not Found", "no line named"},
        {get("/del?x=1&call=1"), "HTTP/1.0 404 Not Found", "the query is call=N or nothing"},
        {get("/calls?del?call=1"), "HTTP/1.0 200 OK", "the calls page, nothing deleted"},
        {get("/style.css?del?call=1"), "HTTP/1.0 200 OK", "a file; the query is ignored"},
        {get("/missing.css"), "HTTP/1.0 404 Not Found", ""},
    };
    for (const Case& c : cases) {
        const Answer answer = splitAnswer(exchange(server.port(), c.request));
        EXPECT_EQ(answer.statusLine, c.status) << c.request.toStdString() << " " << c.why;
        if (c.status.contains("501")) {
            EXPECT_EQ(answer.header("Allow"), "GET, POST") << c.request.toStdString();
        }
    }
    EXPECT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")), last) << "no request above deleted a line";
}

TEST_F(WebServerTest, HeadAnswersTheHeadOfTheGet)
{
    ServerThread server(open());
    exchange(server.port(), get("/calls")); // drops the stale line first
    for (const char* path : {"/calls", "/Journal?dt=12-09-2026_Sys.txt", "/big.bin", "/missing.css"}) {
        const Answer full = splitAnswer(exchange(server.port(), get(path)));
        const QByteArray head = exchange(server.port(), QByteArray("HEAD ") + path + kVersion);
        EXPECT_EQ(head, full.head + "\r\n") << path;
    }
    // HEAD changes nothing: the line a GET would delete stays.
    const QByteArray last = WebFixture::readFile(QStringLiteral("Data/Last"));
    EXPECT_EQ(splitAnswer(exchange(server.port(), "HEAD" + fromOwnPage("/del?call=1").mid(3))).statusLine,
        "HTTP/1.0 200 OK");
    EXPECT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")), last);

    WebAccessSettings settings = open();
    settings.RCWWWProtect = 1;
    settings.RCWWWUserName = QStringLiteral("admin");
    ServerThread locked(settings);
    EXPECT_EQ(
        exchange(locked.port(), "HEAD /calls" + kVersion), splitAnswer(AccessDeniedResponse()).head + "\r\n");
}

TEST_F(WebServerTest, ServesFilesWithExactlyTheirBytes)
{
    ServerThread server(open());
    struct Case {
        const char* path;
        QByteArray type;
        QByteArray body;
    };
    const Case cases[] = {
        {"/style.css", "text/css", "body { color: black }\n"},
        {"/x/y/STYLE.CSS", "text/css", "body { color: black }\n"},
        {"/my%20file.css", "text/css", "p { margin: 0 }\n"},
        {"/style.css?v=2", "text/css", "body { color: black }\n"},
        {"/empty.txt", "text/plain", ""},
        {"/k1.bin", "application/octet-stream", WebFixture::counting(1024)},
        {"/k2.bin", "application/octet-stream", WebFixture::counting(2048)},
        {"/big.bin", "application/octet-stream", WebFixture::counting(5000)},
        {"/messages/Data/Log/2026/12/10/UNKNOWN_5550100_12-10-2026_10-30-05.wav", "audio/wav",
            WebFixture::recordingBytes()},
    };
    for (const Case& c : cases) {
        const QByteArray answer = exchange(server.port(), get(c.path));
        EXPECT_EQ(answer, okHead(c.type, c.body.size()) + "\r\n" + c.body) << c.path;
    }
    ASSERT_EQ(WebFixture::recordingPath(),
        QStringLiteral("Data/Log/2026/12/10/UNKNOWN_5550100_12-10-2026_10-30-05.wav"));
    for (const char* missing : {"/missing.css", "/messages/data/log/2026/12/10/nothing.wav"})
        EXPECT_EQ(exchange(server.port(), get(missing)), kNotFound) << missing;
}

TEST_F(WebServerTest, CallsAndJournalPagesAreExactlyTheirTexts)
{
    ServerThread server(open());
    const QString lastPath = AppPaths::programFolder() + QStringLiteral("/Data/Last");

    const Answer calls = splitAnswer(exchange(server.port(), get("/calls")));
    EXPECT_EQ(
        calls.body.toStdString(), QByteArray(kTop + kLinks + "\r\n" + kFixtureCalls + kFooter).toStdString());
    // The stale middle line is gone from the list; the others keep their order.
    EXPECT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")),
        "2:\\Data\\Log\\2026\\12\\10\\\r\n1:\\Data\\Log\\2026\\12\\10\\\r\n");

    // Nothing stale now: viewing the page leaves the file alone.
    const QDateTime written = QFileInfo(lastPath).lastModified();
    const quint64 inode = inodeOf(lastPath);
    QThread::msleep(20);
    const Answer again = splitAnswer(exchange(server.port(), get("/calls")));
    EXPECT_TRUE(again.body.contains("| <font size=\"2\">2 Calls</font>"));
    EXPECT_EQ(QFileInfo(lastPath).lastModified(), written);
    EXPECT_EQ(inodeOf(lastPath), inode);

    const Answer journal = splitAnswer(exchange(server.port(), get("/Journal?dt=12-09-2026_sys.txt")));
    EXPECT_EQ(journal.body.toStdString(), QByteArray(kTop + kLinks + kFixtureJournal).toStdString());
}

TEST_F(WebServerTest, DeleteLinkRemovesThatLineAndShowsTheListWithoutFooter)
{
    ServerThread server(open());
    exchange(server.port(), get("/calls")); // drops the stale line
    const Answer answer = splitAnswer(exchange(server.port(), fromOwnPage("/del?call=1")));
    EXPECT_EQ(int(pageOf(answer.body)), int(Page::CallsWithoutFooter));
    EXPECT_TRUE(answer.body.contains("5550142") && !answer.body.contains("5550100"));
    EXPECT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")), "1:\\Data\\Log\\2026\\12\\10\\\r\n");

    for (const char* path : {"/del?call=5", "/del?call=0", "/del?call=-1", "/del?call=99999999999"}) {
        exchange(server.port(), fromOwnPage(path));
        EXPECT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")), "1:\\Data\\Log\\2026\\12\\10\\\r\n")
            << path;
    }
    const QStringList www = server.wwwJournal();
    // A line that is gone (a page shown before another delete) is said so.
    EXPECT_TRUE(www.contains(QStringLiteral("errDataArrival:No line 5 in the recent calls to delete (0)")))
        << www.join(u'\n').toStdString();
    EXPECT_TRUE(www.contains(QStringLiteral("errDataArrival:Not a line number: abc (0)")) == false);
    exchange(server.port(), fromOwnPage("/del?call=abc"));
    EXPECT_TRUE(server.wwwJournal().contains(QStringLiteral("errDataArrival:Not a line number: abc (0)")));
    EXPECT_TRUE(server.sysJournal().contains(QStringLiteral("|errDataArrival:Not a line number: abc (0)|0")));
}

TEST_F(WebServerTest, BasicAuthenticationAcceptsOnlyTheExactCredentials)
{
    WebAccessSettings settings = open();
    settings.RCWWWProtect = 1;
    settings.RCWWWUserName = QStringLiteral("admin");
    settings.RCWWWPass = QStringLiteral("s3cret");
    ServerThread server(settings);
    const QByteArray token = QByteArray("admin:s3cret").toBase64();
    ASSERT_EQ(token, Base64Encode(QStringLiteral("admin:s3cret")));
    QByteArray oneOff = token;
    oneOff[3] = oneOff[3] == 'A' ? 'B' : 'A';

    const QByteArray denied = AccessDeniedResponse();
    ASSERT_TRUE(denied.startsWith("HTTP/1.0 401 Access Denied\r\n"
                                  "Server: Tallyhouse 5.0\r\n"
                                  "WWW-Authenticate: Basic realm =\"Tallyhouse\"\r\n"
                                  "Content-Type: text/html\r\n"
                                  "Connection: Keep-Alive\r\n"
                                  "Content-Length: 118\r\n\r\n"));
    EXPECT_EQ(splitAnswer(denied).body.size(), 118);

    struct Case {
        QByteArray header;
        bool accepted;
        const char* why;
    };
    const Case cases[] = {
        {"", false, "missing"},
        {"authorization: Basic " + token + "\r\n", true, "header names have no letter case"},
        {"AUTHORIZATION: basic " + token + "\r\n", true, "nor has the scheme"},
        {"Authorization: Bearer " + token + "\r\n", false, "another scheme"},
        {"Authorization: Basic " + token.toLower() + "\r\n", false, "token in another case"},
        {"Authorization: Basic " + oneOff + "\r\n", false, "one character off"},
        {"Authorization: Basic " + token + "x\r\n", false, "the right token plus a suffix"},
        {"Authorization: Basic " + token + "=\r\n", false, "the right token plus padding"},
        {"Authorization: Basic " + token.left(token.size() - 1) + "\r\n", false, "a prefix of the token"},
        {"X-Note: Authorization: Basic " + token + "\r\n", false, "the token inside another header"},
        {"Authorization: Basic\r\n", false, "no token"},
        {"Authorization: Basic " + token + "\r\n", true, "right"},
        {"Accept: */*\r\nAuthorization: Basic " + token + "  \r\n", true, "right, later in the header"},
    };
    for (const Case& c : cases) {
        const QByteArray answer = exchange(server.port(), "GET /calls HTTP/1.0\r\n" + c.header + "\r\n");
        if (c.accepted)
            EXPECT_EQ(int(pageOf(splitAnswer(answer).body)), int(Page::Calls)) << c.why;
        else
            EXPECT_EQ(answer, denied) << c.why;
    }
    // The token in the path is not a credential either.
    EXPECT_EQ(
        exchange(server.port(), "GET /Authorization:%20Basic%20" + token + " HTTP/1.0\r\n\r\n"), denied);
    // A refused request is one short line; the others keep their head but
    // not the credentials.
    EXPECT_TRUE(server.wwwJournal().contains(QStringLiteral("GET /calls 401")));
    for (const QString& request : server.wwwJournal()) {
        EXPECT_LE(request.size(), 1024);
        for (const QString& line : request.split(QStringLiteral("\r\n"))) {
            if (line.startsWith(u"authorization:", Qt::CaseInsensitive)) {
                EXPECT_TRUE(line.endsWith(u": *****")) << line.toStdString();
            }
        }
    }
}

TEST_F(WebServerTest, PathsThatLeaveTheirFolderAreRefusedLikeMissingFiles)
{
    const QString home = AppPaths::programFolder();
    ASSERT_TRUE(QFile::link(home + QStringLiteral("/Secret.txt"), home + QStringLiteral("/WWW/linked.txt")));
    ASSERT_TRUE(QFile::link(
        home + QStringLiteral("/Secret.txt"), home + QStringLiteral("/Data/Log/2026/12/10/linked.wav")));
    ServerThread server(open());
    const char* attempts[] = {
        "/../Secret.txt",
        "/..",
        "/%2e%2e/Secret.txt",
        "/..%2fSecret.txt",
        "/%2e%2e%2fSecret.txt",
        "/..\\Secret.txt",
        "/..%5cSecret.txt",
        "/Secret.txt",
        "/linked.txt",
        "/style.css%00",
        "/messages/Secret.txt",
        "/messages/data/last",
        "/messages/data/log/../../Secret.txt",
        "/messages/data/log/2026/../../../Secret.txt",
        "/messages/data/log/%2e%2e/%2e%2e/Secret.txt",
        "/messages/data/log/2026/12/10/linked.wav",
        "/messages//etc/passwd",
        "/messages/data/log//etc/passwd",
        "/messages/data/log/2026/12/10",
        "/messages/data/log",
        "/messages/data/log/2026/12/10/..\\..\\..\\..\\..\\Secret.txt",
    };
    for (const char* path : attempts)
        EXPECT_EQ(exchange(server.port(), get(path)), kNotFound) << path;

    // The journal route shows its own files only: an empty text area otherwise.
    for (const char* name : {"../Secret.txt", "..%2fSecret.txt", "/etc/passwd", "..\\Secret.txt", "."}) {
        const Answer answer = splitAnswer(
            exchange(server.port(), get(QByteArray(QByteArray("/Journal?dt=") + name).constData())));
        EXPECT_EQ(int(pageOf(answer.body)), int(Page::Journal)) << name;
        EXPECT_TRUE(answer.body.contains("<textarea rows=\"27\" cols=\"72\">\r\n</textarea>")) << name;
        EXPECT_FALSE(answer.body.contains(WebFixture::kSecret)) << name;
    }
}

TEST_F(WebServerTest, RequestSplitOverSeveralPacketsIsAnsweredOnceWhole)
{
    ServerThread server(open());
    Client client(server.port());
    for (const QByteArray& piece : {QByteArray("GE"), QByteArray("T /Jour"), QByteArray("nal HTTP/1.0\r\nHo"),
             QByteArray("st: x\r\n"), QByteArray("\r"), QByteArray("\n")}) {
        ASSERT_TRUE(client.send(piece));
        QThread::msleep(30);
    }
    bool closed = false;
    const Answer answer = splitAnswer(client.readToEnd(3000, &closed));
    EXPECT_TRUE(closed);
    EXPECT_EQ(int(pageOf(answer.body)), int(Page::Journal));
    // The journal got the request once, whole.
    const QStringList www = server.wwwJournal();
    ASSERT_EQ(www.size(), 1);
    EXPECT_EQ(www.first(), u"GET /Journal HTTP/1.0\r\nHost: x\r\n\r\n");
}

TEST_F(WebServerTest, OversizedRequestHeadIsRefused)
{
    ServerThread server(open(), 3000, 1024);
    const QByteArray answer
        = exchange(server.port(), "GET /calls HTTP/1.0\r\nX-Pad: " + QByteArray(2000, 'a') + "\r\n\r\n");
    EXPECT_EQ(splitAnswer(answer).statusLine, "HTTP/1.0 400 Bad Request");
    EXPECT_EQ(server.wwwJournal(), QStringList{QStringLiteral("GET /calls 400")});
    EXPECT_EQ(
        server.sysJournal(), QStringList{QStringLiteral("|errDataArrival:The request is too large (0)|0")});
}

TEST_F(WebServerTest, ListenFailureIsJournalledAndClearsRemoteAccess)
{
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::Any));
    WebAccessSettings settings = open();
    settings.RCWWWPort = occupant.serverPort();
    ServerThread server(settings, testTimeout(3000), 16 * 1024, false);
    EXPECT_FALSE(server.started());
    EXPECT_EQ(server.port(), 0);
    EXPECT_EQ(server.settings().RCWWWAllow, 0);
    const QString description = QStringLiteral("The bound address is already in use");
    const int number = int(QAbstractSocket::AddressInUseError);
    EXPECT_EQ(server.wwwJournal(),
        QStringList{QStringLiteral("Can't opening WWW,") + description + QStringLiteral(" (")
            + QString::number(number) + u')'});
    EXPECT_EQ(server.sysJournal(),
        QStringList{
            QStringLiteral("OpenWeb|Can't opening WWW - ") + description + u'|' + QString::number(number)});
}

TEST_F(WebServerTest, ListensOnlyOnAValidPort)
{
    struct Case {
        qint32 port;
        bool listens;
    };
    // The server listens on a port the system picks: the rule for the stored
    // one holds all the same.
    const Case cases[]
        = {{1, true}, {8080, true}, {65535, true}, {0, false}, {-1, false}, {65536, false}, {70000, false}};
    for (const Case& c : cases) {
        WebAccessSettings settings = open();
        settings.RCWWWPort = c.port;
        ServerThread server(settings);
        EXPECT_EQ(server.started(), c.listens) << c.port;
        if (c.listens) {
            EXPECT_NE(server.port(), 0) << c.port;
            EXPECT_TRUE(server.sysJournal().isEmpty());
            continue;
        }
        EXPECT_EQ(server.port(), 0) << c.port;
        EXPECT_EQ(server.settings().RCWWWAllow, 0) << c.port;
        ASSERT_EQ(server.sysJournal().size(), 1) << c.port;
        EXPECT_TRUE(server.sysJournal().first().startsWith(
            u"OpenWeb|Can't opening WWW - The port " + QString::number(c.port) + u" is not valid"));
        EXPECT_EQ(server.wwwJournal().size(), 1) << c.port;
    }
}

TEST_F(WebServerTest, StopDropsConnectionsAndStartListensAgain)
{
    ServerThread server(open());
    const quint16 first = server.port();
    Client waiting(first);
    ASSERT_TRUE(waiting.send("GET /calls HTTP/1.0\r\n"));
    for (int i = 0; i < 200 && server.slotsTaken() < 1; ++i)
        QThread::msleep(5);
    ASSERT_EQ(server.slotsTaken(), 1);

    server.stop();
    EXPECT_EQ(server.slotsTaken(), 0);
    bool closed = false;
    EXPECT_EQ(waiting.readToEnd(2000, &closed), QByteArray()) << "nothing is sent on stop";
    EXPECT_TRUE(closed);
    EXPECT_FALSE(Client(first).connected());

    ASSERT_TRUE(server.restart());
    EXPECT_EQ(int(pageOf(splitAnswer(exchange(server.port(), get("/calls"))).body)), int(Page::Calls));
}

TEST_F(WebServerTest, JournalsEachRequestAsItArrived)
{
    ServerThread server(open());
    exchange(server.port(), "GET /style.css HTTP/1.0\r\nUser-Agent: t\r\nAuthorization: Basic abc\r\n\r\n");
    EXPECT_EQ(server.wwwJournal(),
        QStringList{
            QStringLiteral("GET /style.css HTTP/1.0\r\nUser-Agent: t\r\nAuthorization: *****\r\n\r\n")});
    EXPECT_TRUE(server.sysJournal().isEmpty());
}

TEST_F(WebServerTest, JournalEntryIsCappedWithCredentialsStillMasked)
{
    ServerThread server(open());
    const QByteArray token = QByteArray("admin:s3cret").toBase64();
    // The credentials stand where the cut falls: none of them may show.
    const QByteArray request = "GET /style.css HTTP/1.0\r\nX-Pad: " + QByteArray(990, 'p')
        + "\r\nAuthorization: Basic " + token + "\r\nX-More: " + QByteArray(8000, 'm') + "\r\n\r\n";
    EXPECT_EQ(splitAnswer(exchange(server.port(), request)).statusLine, "HTTP/1.0 200 OK");
    // A character of several bytes across the cut is left out whole.
    const QByteArray start = "GET /style.css HTTP/1.0\r\nX-Name: ";
    const QByteArray wide
        = start + QByteArray(1023 - start.size(), 'a') + "\xc3\xa9" + QByteArray(3000, 'b') + "\r\n\r\n";
    exchange(server.port(), wide);
    const QStringList www = server.wwwJournal();
    ASSERT_EQ(www.size(), 2);
    EXPECT_FALSE(www.at(0).contains(QString::fromLatin1(token.left(6)))) << www.at(0).toStdString();
    EXPECT_TRUE(www.at(0).startsWith(u"GET /style.css HTTP/1.0\r\nX-Pad: ppp"));
    EXPECT_LE(www.at(0).toUtf8().size(), 1024);
    EXPECT_EQ(www.at(1).toUtf8().size(), 1023);
    EXPECT_FALSE(www.at(1).contains(QChar::ReplacementCharacter));
}

} // namespace
