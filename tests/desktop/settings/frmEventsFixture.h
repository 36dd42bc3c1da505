#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/CallerPopUp.h"
#include "desktop/settings/frmEvents.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// A program folder with the shipped settings keys, two sounds, a translation
// whose line n reads "#n", a hub without a service, a recorded main window
// and pop-up, and the events window loaded as the main window loads it.
class frmEventsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        loadTranslation(QStringLiteral("LTR"));
        QDir().mkpath(env.programFolder() + QStringLiteral("/Sound"));
        for (const char* name : {"a.wav", "b.wav"}) {
            QFile sound(env.programFolder() + QStringLiteral("/Sound/") + QLatin1String(name));
            ASSERT_TRUE(sound.open(QIODevice::WriteOnly));
        }
        SetHubLink(&hub);
        SetMainWindow(&mainWindow);
        SetCallerPopUp(&popUp);
        g_bExiting = false;
    }
    void TearDown() override
    {
        g_bExiting = true;
        UnloadEventsWindow();
        UnloadContactEditor();
        g_bExiting = false;
        if (BalloonTip* balloon = BalloonTip::current())
            balloon->close();
        SetCallerPopUp(nullptr);
        SetMainWindow(nullptr);
        SetHubLink(nullptr);
        ResetTranslation();
    }

    void loadTranslation(const QString& direction)
    {
        QDir().mkpath(env.programFolder() + QStringLiteral("/Trans"));
        QFile file(env.programFolder() + QStringLiteral("/Trans/Test.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write((n == 10 ? direction : QStringLiteral("#%1").arg(n)).toUtf8() + "\r\n");
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    }

    // A window made afresh from the store, as at the program's start.
    frmEvents& reload()
    {
        g_bExiting = true;
        UnloadEventsWindow();
        g_bExiting = false;
        return LoadEventsWindow();
    }

    static QString stored(const QString& subkey, const QString& name)
    {
        return RegistryRoutines::forProduct(subkey).getString(name);
    }
    static void store(const QString& subkey, const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(subkey).setString(name, value)) << name.toStdString();
    }
    // Every value of both groups, to tell whether anything was written.
    static QStringList everything()
    {
        QStringList values;
        for (const QString& group :
            {QStringLiteral("Events\\TabInCommingCall"), QStringLiteral("Events\\Advanced")})
            for (const QString& name : RegistryRoutines::EnumRegistryValues(
                     RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey() + u'\\' + group))
                values << name + u'=' + stored(group, name);
        return values;
    }

    TestEnvironment env;
    TestClock clock;
    HubLink hub;
    RecordedMainWindow mainWindow;
    RecordedPopUp popUp;
    ScriptedDialogs dialogs;
};
