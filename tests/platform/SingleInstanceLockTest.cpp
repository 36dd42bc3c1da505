#include "platform/SingleInstanceLock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

using LockState = SingleInstanceLock::State;

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstGoes)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Svc.lock");
    std::optional<SingleInstanceLock> first(std::in_place, path);
    ASSERT_EQ(first->state(), LockState::Acquired);
    // flock belongs to the open file, so a second open in this process meets
    // it exactly as another process would.
    EXPECT_EQ(SingleInstanceLock(path).state(), LockState::HeldElsewhere);
    first.reset();
    EXPECT_EQ(SingleInstanceLock(path).state(), LockState::Acquired);
    // The file is kept: a leftover file never keeps anyone out.
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

TEST(SingleInstanceLock, UnusablePathFailsInsteadOfLookingFree)
{
    QTemporaryDir dir;
    EXPECT_EQ(
        SingleInstanceLock(dir.path() + QStringLiteral("/missing/Svc.lock")).state(), LockState::Failed);
    // A planted link is not followed.
    const QString link = dir.path() + QStringLiteral("/link.lock");
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/target"), link));
    EXPECT_EQ(SingleInstanceLock(link).state(), LockState::Failed);
}

} // namespace
