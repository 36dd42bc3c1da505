#pragma once

#include "common/AppPaths.h"
#include "common/ContactFile.h"
#include "common/RecordFile.h"
#include "common/RegistryRoutines.h"
#include "desktop/contacts/ClickLabel.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/Translation.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A program folder with a translation whose line n reads "#n" (line 10 the
// direction), two sounds, the settings keys, and the editor loaded as the
// main window loads it.
class ContactEditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        loadTranslation(QStringLiteral("LTR"));
        QDir().mkpath(home() + QStringLiteral("/Sound"));
        for (const char* name : {"a.wav", "b.wav"})
            QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav"),
                home() + QStringLiteral("/Sound/") + QString::fromLatin1(name));
    }
    void TearDown() override
    {
        form.reset();
        if (BalloonTip* balloon = BalloonTip::current())
            balloon->close();
        ResetTranslation();
    }

    QString home() const { return env.programFolder(); }

    void loadTranslation(const QString& direction)
    {
        QDir().mkpath(home() + QStringLiteral("/Trans"));
        QFile file(home() + QStringLiteral("/Trans/Test.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write((n == 10 ? direction : QStringLiteral("#%1").arg(n)).toUtf8() + "\r\n");
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    }

    frmContact& load()
    {
        form = std::make_unique<frmContact>();
        return *form;
    }

    static RegistryRoutines settings(const QString& subkey) { return RegistryRoutines::forProduct(subkey); }

    static QList<ContactRecord> stored()
    {
        QList<ContactRecord> records;
        const RecordFile file(ContactFile::path(), ContactRecord::Size);
        for (qint32 n = 1; n <= file.count(); ++n)
            records << ContactRecord::fromBytes(*file.read(n));
        return records;
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const MessageBoxRequest& request : dialogs.messageRequests)
            texts << request.text;
        return texts;
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmContact> form;
};
