#include "desktop/shell/ServiceUnit.h"
#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/ShellGlobals.h"
#include "platform/MessageControl.h"
#include "tests/desktop/shell/UnitFileReader.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/NotifySocket.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A folder for the service's program: a link to the built RingvaleSvc.
QString makeProgramFolder(const QString& folder)
{
    if (!QDir().mkpath(folder)
        || !QFile::link(
            TestEnvironment::binary(QStringLiteral("RingvaleSvc")), folder + QStringLiteral("/RingvaleSvc")))
        return QString();
    return folder + u'/';
}

class ServiceUnitFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fake.isValid());
        m_oldHome = qgetenv("RINGVALE_HOME");
    }
    void TearDown() override
    {
        g_sAppFolder.clear();
        qputenv("RINGVALE_HOME", m_oldHome);
    }

    // The desktop's program folder and the folder of the running Ringvale
    // become folder (created).
    void useFolder(const QString& folder)
    {
        g_sAppFolder = makeProgramFolder(folder);
        ASSERT_FALSE(g_sAppFolder.isEmpty());
        qputenv("RINGVALE_HOME", QFile::encodeName(folder));
    }

    TestEnvironment env;
    FakeSystemctl fake;
    QByteArray m_oldHome;
};

TEST_F(ServiceUnitFile, GoldenUnitForAFolderWithABlankAndAPercentPassesSystemdsCheck)
{
    const QString folder = env.configFolder() + QStringLiteral("/a b%c");
    useFolder(folder);
    QString account = QStringLiteral("LocalSystem");
    ASSERT_EQ(ServiceInstall(account), 0) << ServiceLastError().toStdString();

    const QString quotedFolder = env.configFolder() + QStringLiteral("/a b%%c");
    const QByteArray golden = QStringLiteral("[Unit]\n"
                                             "Description=Brask - Ringvale 1.0 Service\n"
                                             "\n"
                                             "[Service]\n"
                                             "Type=notify\n"
                                             "ExecStart=\"%1/RingvaleSvc\"\n"
                                             "Environment=\"RINGVALE_HOME=%1\"\n"
                                             "Environment=\"RINGVALE_REGISTRY=%2\"\n"
                                             "Environment=\"XDG_RUNTIME_DIR=%3\"\n"
                                             "\n"
                                             "[Install]\n"
                                             "WantedBy=default.target\n")
                                  .arg(quotedFolder, env.registryFolder(), env.runtimeBase())
                                  .toUtf8();
    const QByteArray written = readFile(ServiceUnitPath());
    EXPECT_EQ(written, golden);

    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    ASSERT_FALSE(analyze.isEmpty()) << "systemd-analyze (Debian's systemd) is not installed";
    QProcess verify;
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.setProcessEnvironment(env.processEnvironment());
    verify.start(analyze, {QStringLiteral("verify"), QStringLiteral("--user"), ServiceUnitPath()});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 0);
    EXPECT_EQ(verify.readAll(), QByteArray()) << "systemd-analyze verify has something to say";
}

TEST_F(ServiceUnitFile, QuotesAndEscapesReachSystemdUnchanged)
{
    const ServiceUnitSettings settings{QStringLiteral("/opt/100% sure/$HOME/RingvaleSvc"),
        QStringLiteral("/home/ann/it's \"mine\" \\ 50%"), QStringLiteral("/r $x"),
        QStringLiteral("/run/user/1000")};
    const std::optional<QByteArray> text = ServiceUnitText(settings);
    ASSERT_TRUE(text.has_value());
    const std::optional<UnitFileCommand> command = ReadUnitFileCommand(*text);
    ASSERT_TRUE(command.has_value()) << text->constData();
    EXPECT_EQ(command->execStart, QStringList{settings.program});
    const QMap<QString, QString> expected{{QStringLiteral("RINGVALE_HOME"), settings.home},
        {QStringLiteral("RINGVALE_REGISTRY"), settings.registry},
        {QStringLiteral("XDG_RUNTIME_DIR"), settings.runtimeBase}};
    EXPECT_EQ(command->environment, expected);
}

TEST_F(ServiceUnitFile, ValuesSystemdCannotCarryAreRefused)
{
    const ServiceUnitSettings good{QStringLiteral("/opt/r/RingvaleSvc"), QStringLiteral("/opt/r"),
        QStringLiteral("/home/ann/.config/Ringvale"), QStringLiteral("/run/user/1000")};
    ASSERT_TRUE(ServiceUnitText(good).has_value());
    const struct {
        const char* why;
        ServiceUnitSettings settings;
    } rows[] = {
        {"newline in the program",
            {QStringLiteral("/opt/a\nb/RingvaleSvc"), good.home, good.registry, good.runtimeBase}},
        {"tab in the home", {good.program, QStringLiteral("/opt/a\tb"), good.registry, good.runtimeBase}},
        {"DEL in the registry", {good.program, good.home, QStringLiteral("/x\x7f"), good.runtimeBase}},
        {"NUL in the runtime folder",
            {good.program, good.home, good.registry, QStringLiteral("/run/user/1000") + QChar()}},
        {"double quote in the program",
            {QStringLiteral("/opt/\"r\"/RingvaleSvc"), good.home, good.registry, good.runtimeBase}},
        {"single quote in the program",
            {QStringLiteral("/opt/ann's/RingvaleSvc"), good.home, good.registry, good.runtimeBase}},
        {"backslash in the program",
            {QStringLiteral("/opt/a\\b/RingvaleSvc"), good.home, good.registry, good.runtimeBase}},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(ServiceUnitText(row.settings).has_value()) << row.why;
}

TEST_F(ServiceUnitFile, RealServiceRunsFromTheWrittenUnit)
{
    env.installDefaults();
    ASSERT_TRUE(RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"))
                    .setString(QStringLiteral("ChkRunAsProc"), QStringLiteral("1")));
    // A program folder whose name a careless unit would split or expand.
    const QString home = env.programFolder() + QStringLiteral("/it's \"a b\" %c $HOME \\x");
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("RINGVALE_HOME", QFile::encodeName(home));
    g_sAppFolder = makeProgramFolder(env.configFolder() + QStringLiteral("/bin 100%"));
    ASSERT_FALSE(g_sAppFolder.isEmpty());
    QString account = QStringLiteral("LocalSystem");
    ASSERT_EQ(ServiceInstall(account), 0) << ServiceLastError().toStdString();

    const std::optional<UnitFileCommand> command = ReadUnitFileCommand(readFile(ServiceUnitPath()));
    ASSERT_TRUE(command.has_value());
    ASSERT_EQ(command->execStart.size(), 1);
    NotifySocket notify;
    ASSERT_TRUE(notify.isValid());
    // Exactly what systemd would give: the unit's environment and the socket.
    QProcessEnvironment unitEnvironment;
    for (auto it = command->environment.cbegin(); it != command->environment.cend(); ++it)
        unitEnvironment.insert(it.key(), it.value());
    unitEnvironment.insert(QStringLiteral("NOTIFY_SOCKET"), notify.path());
    QProcess service;
    service.setProcessEnvironment(unitEnvironment);
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.start(command->execStart.first(), {});
    ASSERT_TRUE(service.waitForStarted(5000));

    bool ready = false;
    for (int i = 0; i < 5 && !ready; ++i) {
        const std::optional<QByteArray> report = notify.receive(10000);
        ASSERT_TRUE(report.has_value()) << "no READY=1 from the service";
        ready = report->split('\n').contains("READY=1");
    }
    ASSERT_TRUE(ready);

    // The desktop finds the service's channels in its own runtime folder.
    MessageControl endpoint;
    EXPECT_TRUE(waitUntil([&] { return endpoint.Channel(308); }, 10000));
    EXPECT_TRUE(endpoint.socketPath().startsWith(AppPaths::runtimeFolder()));

    ::kill(pid_t(service.processId()), SIGTERM);
    bool stopping = false;
    for (int i = 0; i < 5 && !stopping; ++i) {
        const std::optional<QByteArray> report = notify.receive(10000);
        ASSERT_TRUE(report.has_value()) << "no STOPPING=1 from the service";
        stopping = report->split('\n').contains("STOPPING=1");
    }
    EXPECT_TRUE(stopping);
    ASSERT_TRUE(service.waitForFinished(10000));
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0);
}

} // namespace
