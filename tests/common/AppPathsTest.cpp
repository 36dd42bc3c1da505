#include "common/AppPaths.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The folder openRuntimeFolder() would make, found by letting it make it once.
QString expectedFolder()
{
    const QString folder = AppPaths::runtimeFolder();
    QDir().rmdir(folder);
    return folder;
}

std::optional<uid_t> otherUser()
{
    if (getuid() != 0)
        return std::nullopt;
    const passwd* nobody = getpwnam("nobody");
    return nobody ? std::optional<uid_t>(nobody->pw_uid) : std::nullopt;
}

} // namespace

TEST(AppPaths_RuntimeFolder, IsMadePrivateToTheUser)
{
    TestEnvironment env;
    const QString folder = expectedFolder();
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);

    const AppPaths::RuntimeFolder opened = AppPaths::openRuntimeFolder();
    EXPECT_EQ(opened.path, folder);
    EXPECT_TRUE(opened.problem.isEmpty());
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_TRUE(folder.startsWith(env.runtimeBase() + u"/ringvale-"_s + QString::number(getuid()) + u'-'))
        << folder.toStdString();
}

// A refusal names the folder, what is wrong with it (owner and mode) and a way out.
TEST(AppPaths_RuntimeFolder, RefusalSaysWhatIsThereAndHowToFixIt)
{
    const std::optional<uid_t> other = otherUser();
    const struct {
        const char* name;
        std::function<bool(const QString&)> plant;
        QStringList says;
        bool needsOtherUser = false;
    } rows[] = {
        {"a file",
            [](const QString& f) {
                QFile file(f);
                return file.open(QIODevice::WriteOnly)
                    && ::chmod(QFile::encodeName(f).constData(), 0644) == 0;
            },
            {u"is a file"_s, u"mode 0644"_s, u"not a folder; remove it"_s}},
        {"a link to a folder of ours",
            [](const QString& f) { return QDir().mkdir(f + u".real"_s) && QFile::link(f + u".real"_s, f); },
            {u"is a symbolic link"_s, u"remove it"_s}},
        {"another user's folder",
            [other](const QString& f) {
                return QDir().mkdir(f) && ::chmod(QFile::encodeName(f).constData(), 0755) == 0
                    && ::chown(QFile::encodeName(f).constData(), *other, gid_t(-1)) == 0;
            },
            {u"belongs to nobody (uid "_s, u"mode 0755"_s, u"rm -r '"_s}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needsOtherUser && !other) {
            std::cout << "skipped (needs root to plant another user's folder): " << row.name << "\n";
            continue;
        }
        TestEnvironment env;
        const QString folder = expectedFolder();
        ASSERT_TRUE(row.plant(folder));

        const AppPaths::RuntimeFolder opened = AppPaths::openRuntimeFolder();
        EXPECT_TRUE(opened.path.isEmpty());
        EXPECT_TRUE(AppPaths::runtimeFolder().isEmpty());
        EXPECT_TRUE(opened.problem.contains(folder)) << opened.problem.toStdString();
        for (const QString& part : row.says)
            EXPECT_TRUE(opened.problem.contains(part)) << opened.problem.toStdString();
        EXPECT_TRUE(opened.problem.contains(u"set XDG_RUNTIME_DIR to a folder of your own"_s));
        // Nothing planted is changed or removed.
        EXPECT_TRUE(QFileInfo(folder).isSymLink() || QFileInfo::exists(folder));
        if (row.needsOtherUser) {
            EXPECT_EQ(QFileInfo(folder).ownerId(), *other);
        }
    }
}
