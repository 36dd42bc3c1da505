#pragma once

#include "desktop/foundation/Translation.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Loads a translation written to path whose line n is "#n" (161 keeps its
// placeholder: "#161 <%S>"); line 10 is "RTL" when asked.
inline void loadNumberedTranslation(const QString& path, bool rightToLeft)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (int n = 1; n <= 1000; ++n)
        file.write(n == 10 && rightToLeft ? QByteArray("RTL\r\n")
                                          : "#" + QByteArray::number(n) + (n == 161 ? " <%S>\r\n" : "\r\n"));
    file.close();
    ASSERT_EQ(LoadTranslation(path), 0);
}

// A program folder of its own and a translation whose line n is "#n", so
// each caption and message names its entry; line 10 can make it read right
// to left.
class CallWindowsFixture : public ::testing::Test {
protected:
    void SetUp() override { loadNumberedTranslation(false); }
    void TearDown() override { ResetTranslation(); }

    void loadNumberedTranslation(bool rightToLeft)
    {
        ::loadNumberedTranslation(m_texts.filePath(QStringLiteral("Numbers.txt")), rightToLeft);
    }

    static QString entry(int n) { return QStringLiteral("#") + QString::number(n); }

    TestEnvironment env;
    QTemporaryDir m_texts;
};
