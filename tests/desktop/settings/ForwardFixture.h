#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/foundation/MailQueue.h"
#include "desktop/foundation/Translation.h"
#include "tests/desktop/foundation/RecordedAddresses.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

// Keeps the mails handed to it instead of queueing them for the mail program.
class RecordedMailQueue final : public MailQueue {
public:
    RecordedMailQueue() { SetMailQueue(this); }
    ~RecordedMailQueue() override { SetMailQueue(nullptr); }
    RecordedMailQueue(const RecordedMailQueue&) = delete;
    RecordedMailQueue& operator=(const RecordedMailQueue&) = delete;
    void SendByQ(
        const QString& to, const QString& subject, const QString& content, const QString& filePath) override
    {
        mails << QStringList{to, subject, content, filePath};
    }
    QList<QStringList> mails;
};

// An installation with empty forwarding groups, a translation whose line n
// reads "#n", the help pages, and the dialogs, addresses and mail queue
// recorded.
class ForwardFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        loadTranslation();
        const QDir home(env.programFolder());
        ASSERT_TRUE(home.mkpath(QStringLiteral("Help/HelpEng/Pages")));
        const QDir pages(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Help/HelpEng/Pages"));
        for (const QString& page : pages.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(
                pages.filePath(page), home.filePath(QStringLiteral("Help/HelpEng/Pages/") + page)));
    }
    void TearDown() override { ResetTranslation(); }

    void loadTranslation(const QString& direction = QStringLiteral("LTR"))
    {
        QDir().mkpath(env.programFolder() + QStringLiteral("/Trans"));
        QFile file(env.programFolder() + QStringLiteral("/Trans/Test.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write((n == 10 ? direction : QStringLiteral("#%1").arg(n)).toUtf8() + "\r\n");
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    }

    // The shipped English texts, for screenshots.
    void loadEnglish()
    {
        ResetTranslation();
        const QString english = env.programFolder() + QStringLiteral("/Trans/English.txt");
        ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"), english));
        ASSERT_EQ(LoadTranslation(english), 0);
    }

    static void store(const QString& group, const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(group).setString(name, value)) << name.toStdString();
    }
    static QString stored(const QString& group, const QString& name)
    {
        return RegistryRoutines::forProduct(group).getString(name);
    }
    static bool isStored(const QString& group, const QString& name)
    {
        return RegistryRoutines::forProduct(group).hasValue(name);
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    RecordedAddresses addresses;
    RecordedMailQueue queue;
};

inline bool enabled(const QWidget* widget)
{
    return widget->isEnabledTo(widget->window());
}
