#include "common/RegistryRoutines.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString kWeb = u"RemoteAccess\\TabInternetAccess"_s;

struct Install {
    int exitCode = -1;
    QString out;
    QString err;
};

// scripts/install-data as `make run` calls it.
Install install(const TestEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env.processEnvironment());
    process.start(u"bash"_s,
        {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/install-data"), env.programFolder(),
            TestEnvironment::binary(u"ringvale-reg"_s)});
    if (!process.waitForFinished(30000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError())};
}

QString web(const char* name)
{
    return RegistryRoutines::forProduct(kWeb).getString(QString::fromLatin1(name));
}

void setWeb(const char* name, const char* value)
{
    const RegistryRoutines reg = RegistryRoutines::forProduct(kWeb);
    if (value)
        ASSERT_TRUE(reg.setString(QString::fromLatin1(name), QString::fromLatin1(value)));
    else
        static_cast<void>(reg.DeleteValue(QString::fromLatin1(name))); // missing already is fine
}

QString passwordHint()
{
    return u"  password:  "_s + TestEnvironment::binary(u"ringvale-reg"_s)
        + u" get 'HKLM\\SOFTWARE\\Brask\\Ringvale 1.1\\RemoteAccess\\TabInternetAccess' txtWWWPass\n"_s;
}

} // namespace

TEST(InstallData, FirstInstallProtectsThePagesWithAGeneratedPassword)
{
    TestEnvironment env;
    const Install first = install(env);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QString user = web("txtWWWUserName");
    const QString password = web("txtWWWPass");
    EXPECT_EQ(web("chkWWWProtect"), u"1"_s);
    EXPECT_EQ(web("chkAllowWWWRemoteAccess"), u"1"_s);
    EXPECT_TRUE(QRegularExpression(u"^ringvale-[a-z0-9]{6}$"_s).match(user).hasMatch()) << user.toStdString();
    EXPECT_TRUE(QRegularExpression(u"^[A-Za-z0-9]{20}$"_s).match(password).hasMatch());

    // The address, the user name and how to read the password; never the password.
    EXPECT_TRUE(first.out.contains(u"Web page: http://localhost:8080/"_s)) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(u"  user name: "_s + user + u'\n')) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(passwordHint())) << first.out.toStdString();
    EXPECT_FALSE(first.out.contains(password));
    EXPECT_FALSE(first.err.contains(password));

    // Kept only in the settings store, which no one else may read; nothing
    // with it in the program folder.
    struct stat store { };
    ASSERT_EQ(
        ::stat(QFile::encodeName(env.registryFolder() + u"/HKEY_LOCAL_MACHINE.ini"_s).constData(), &store),
        0);
    EXPECT_EQ(store.st_mode & 07777, 0600u);
    QDirIterator files(env.programFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains(password.toUtf8())) << file.fileName().toStdString();
    }

    // The next make run keeps them.
    const Install second = install(env);
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_EQ(web("txtWWWUserName"), user);
    EXPECT_EQ(web("txtWWWPass"), password);
    EXPECT_FALSE(second.out.contains(u"made a web user name"_s));
    EXPECT_TRUE(second.out.contains(u"  user name: "_s + user + u'\n'));

    // Another installation gets other ones.
    TestEnvironment other;
    ASSERT_EQ(install(other).exitCode, 0);
    EXPECT_NE(web("txtWWWPass"), password);
}

TEST(InstallData, StoresThatAlreadyExistAreRespected)
{
    const struct {
        const char* name;
        const char* allow;
        const char* protect;
        const char* user; // nullptr: missing
        const char* password;
        const char* protectAfter;
        bool generated;
        QString says;
    } rows[] = {
        // Protection off and no password is what earlier defaults left.
        {"earlier defaults, open to all", "1", "0", nullptr, nullptr, "1", true, u"  user name: ringvale-"_s},
        {"an empty password counts as none", "1", "1", "ann", "", "1", false, u"  user name: ann\n"_s},
        {"the user's own password, protection off by choice", "1", "0", "ann", "pw", "0", false,
            u"  no password asked (chkWWWProtect is not 1)\n"_s},
        {"the user's own credentials", "1", "1", "ann", "pw", "1", false, u"  user name: ann\n"_s},
        {"remote access off", "0", "1", "ann", "pw", "1", false,
            u"Web page: off (chkAllowWWWRemoteAccess is not 1)\n"_s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestEnvironment env;
        env.installShippedDefaults();
        setWeb("chkAllowWWWRemoteAccess", row.allow);
        setWeb("chkWWWProtect", row.protect);
        setWeb("txtWWWUserName", row.user);
        setWeb("txtWWWPass", row.password);

        const Install result = install(env);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(web("chkWWWProtect"), QString::fromLatin1(row.protectAfter));
        EXPECT_EQ(web("chkAllowWWWRemoteAccess"), QString::fromLatin1(row.allow));
        if (row.user) {
            EXPECT_EQ(web("txtWWWUserName"), QString::fromLatin1(row.user));
        }
        if (row.generated || QByteArray(row.password).isEmpty()) {
            EXPECT_EQ(web("txtWWWPass").size(), 20);
        } else {
            EXPECT_EQ(web("txtWWWPass"), QString::fromLatin1(row.password));
        }
        EXPECT_TRUE(result.out.contains(row.says)) << result.out.toStdString();
    }
}
