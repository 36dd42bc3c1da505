#pragma once

#include "desktop/foundation/Translation.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A program folder of its own and a translation whose line n is "#n", so
// each caption and message names its entry; line 10 can make it read right
// to left.
class CallWindowsFixture : public ::testing::Test {
protected:
    void SetUp() override { loadNumberedTranslation(false); }
    void TearDown() override { ResetTranslation(); }

    void loadNumberedTranslation(bool rightToLeft)
    {
        const QString path = m_texts.filePath(QStringLiteral("Numbers.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int n = 1; n <= 1000; ++n)
            file.write(n == 10 && rightToLeft ? QByteArray("RTL\r\n")
                                              : "#" + QByteArray::number(n) + (n == 161 ? " <%S>\r\n" : "\r\n"));
        file.close();
        ASSERT_EQ(LoadTranslation(path), 0);
    }

    static QString entry(int n) { return QStringLiteral("#") + QString::number(n); }

    TestEnvironment env;
    QTemporaryDir m_texts;
};
