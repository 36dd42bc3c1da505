#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Fake apt-get and sudo first on PATH write every call to a log; they never
// reach the network. A fake dpkg-query, when asked for, answers from a list
// of missing packages that the fake apt-get shortens as it "installs".
class Bootstrap {
public:
    explicit Bootstrap(bool fakeDpkg)
    {
        write(u"apt-get"_s,
            "echo \"apt-get $*\" >>\"$FAKE/log\"\n"
            "[ \"$1\" = install ] || exit 0\n"
            "for a in \"$@\"; do\n"
            "  case $a in -*|install) ;;\n"
            "  *) grep -qx \"$a\" \"$FAKE/virtual\" || sed -i \"/^$a\\$/d\" \"$FAKE/missing\";;\n"
            "  esac\n"
            "done\n");
        write(u"sudo"_s, "echo \"sudo $1\" >>\"$FAKE/log\"\nexec \"$@\"\n");
        if (fakeDpkg) {
            write(u"dpkg-query"_s,
                "rc=0\n"
                "for a in \"$@\"; do\n"
                "  case $a in -*) continue;; esac\n"
                "  if grep -qx \"$a\" \"$FAKE/missing\"; then echo \"no packages found matching $a\" >&2; "
                "rc=1\n"
                "  elif grep -qx \"$a\" \"$FAKE/held\"; then echo \"$a hold ok installed\"\n"
                "  else echo \"$a install ok installed\"; fi\n"
                "done\n"
                "exit $rc\n");
        }
        list(u"missing"_s, {});
        list(u"virtual"_s, {});
        list(u"held"_s, {});
        list(u"log"_s, {});
    }

    void list(const QString& name, const QStringList& lines)
    {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString& line : lines)
            file.write(line.toUtf8() + '\n');
    }

    QString log() const { return read(u"log"_s); }
    QString missing() const { return read(u"missing"_s); }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Result run() const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"PATH"_s, m_dir.filePath(u"bin"_s) + u':' + env.value(u"PATH"_s));
        env.insert(u"FAKE"_s, m_dir.path());
        process.setProcessEnvironment(env);
        process.start(u"bash"_s, {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/bootstrap")});
        if (!process.waitForFinished(60000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
    }

private:
    void write(const QString& name, const QByteArray& body)
    {
        QDir().mkpath(m_dir.filePath(u"bin"_s));
        QFile file(m_dir.filePath(u"bin/"_s + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/usr/bin/env bash\n" + body);
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

    QString read(const QString& name) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir m_dir;
};

} // namespace

// The machine that runs the tests went through bootstrap: if every name in it
// is a real package, dpkg reports them all installed and apt is never asked.
TEST(Bootstrap, WarmMachineRunsNoAptCommand)
{
    Bootstrap bootstrap(false);
    for (int run = 1; run <= 2; ++run) {
        const Bootstrap::Result result = bootstrap.run();
        EXPECT_EQ(result.exitCode, 0) << "run " << run << ": " << result.err.toStdString();
        EXPECT_EQ(bootstrap.log(), QString())
            << "run " << run << ": a name dpkg does not report installed? " << result.out.toStdString();
        EXPECT_EQ(result.out, QString()) << "run " << run;
    }
}

TEST(Bootstrap, InstallsWhatIsMissingOnceThenSettles)
{
    const struct {
        const char* name;
        QStringList missing;
        QStringList virtualNames; // apt-get takes them, dpkg never lists them
        QStringList held; // installed and held at their version
        int firstExit;
        QString firstLog;
        QString firstErr;
    } rows[] = {
        {"nothing missing", {}, {}, {}, 0, QString(), QString()},
        {"a held package is installed", {}, {}, {u"sox"_s, u"g++"_s}, 0, QString(), QString()},
        {"two missing", {u"qt6-serialport-dev"_s, u"sox"_s}, {}, {}, 0,
            u"apt-get update -q\napt-get install -y -q --no-install-recommends qt6-serialport-dev sox\n"_s,
            QString()},
        {"a name apt takes but dpkg never lists", {u"sox"_s}, {u"sox"_s}, {}, 1,
            u"apt-get update -q\napt-get install -y -q --no-install-recommends sox\n"_s,
            u"bootstrap: still not installed after apt-get: sox (a virtual package name? list the real "
            u"package)\n"_s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bootstrap bootstrap(true);
        bootstrap.list(u"missing"_s, row.missing);
        bootstrap.list(u"virtual"_s, row.virtualNames);
        bootstrap.list(u"held"_s, row.held);

        const Bootstrap::Result first = bootstrap.run();
        EXPECT_EQ(first.exitCode, row.firstExit);
        // Root installs directly; anyone else through sudo.
        QString log = bootstrap.log();
        log.remove(u"sudo apt-get\n"_s);
        EXPECT_EQ(log, row.firstLog);
        EXPECT_EQ(first.err, row.firstErr);
        if (row.firstExit != 0)
            continue;
        EXPECT_EQ(bootstrap.missing(), QString());

        bootstrap.list(u"log"_s, {});
        const Bootstrap::Result second = bootstrap.run();
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_EQ(bootstrap.log(), QString());
        EXPECT_EQ(second.out, QString());
    }
}
