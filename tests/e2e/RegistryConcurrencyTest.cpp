#include "common/RegistryRoutines.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(RegistryConcurrency, TwoProcessesWritingIntoOneKeyAtOnceLoseNothing)
{
    TestEnvironment env;
    env.installDefaults();
    constexpr int kCount = 200;
    const QString section = QStringLiteral("Properties\\TabGeneral");
    std::unique_ptr<QProcess> writers[2];
    const QString prefixes[2] = {QStringLiteral("First"), QStringLiteral("Second")};
    const auto names = [&] {
        return RegistryRoutines::EnumRegistryValues(
            RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey() + u'\\' + section);
    };
    // The installation's own values of the key stay beside the written ones.
    const qsizetype installed = names().size();
    for (int w = 0; w < 2; ++w) {
        writers[w] = std::make_unique<QProcess>();
        writers[w]->setProcessEnvironment(env.processEnvironment());
        writers[w]->start(QStringLiteral(RINGVALE_TEST_HELPER_DIR "/registry-writer"),
            {section, prefixes[w], QString::number(kCount)});
    }
    for (auto& writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(testTimeout(30000)));
        EXPECT_EQ(writer->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer->exitCode(), 0) << "a write reported failure";
    }

    const RegistryRoutines reg = RegistryRoutines::forProduct(section);
    EXPECT_EQ(names().size(), installed + 2 * kCount);
    for (const QString& prefix : prefixes) {
        for (int i = 0; i < kCount; ++i) {
            const QString name = prefix + QString::number(i);
            ASSERT_EQ(reg.getString(name), name + QStringLiteral("-data")) << name.toStdString();
        }
    }
}

} // namespace
