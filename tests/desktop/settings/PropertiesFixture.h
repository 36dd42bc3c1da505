#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/MainDevices.h"
#include "desktop/settings/ServiceSwitch.h"
#include "desktop/settings/SettingsOpeners.h"
#include "desktop/settings/frmProperties.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControlBase.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// Lines with the capabilities a test gives them.
class FakeLines final : public TelephonyControl {
public:
    QList<DeviceCaps> lines;

    qint32 Initialize() override { return 0; }
    QString ErrorText(qint32) const override { return {}; }
    qint32 DeviceCount() const override { return qint32(lines.size()); }
    qint32 GetDeviceCaps(DeviceCaps& caps) const override
    {
        caps = DeviceCaps();
        if (CurrentLine() < 0 || CurrentLine() >= lines.size())
            return LineResult::BadDevice;
        caps = lines.at(CurrentLine());
        return LineResult::Ok;
    }
    bool IsLineOpen() const override { return false; }
    qint32 LineOpen(qint32, qint32) override { return LineResult::Refused; }
    qint32 LineClose() override { return LineResult::NotOpen; }
    qint32 LineShutdown() override { return 0; }
    QString GetDeviceID(qint32) const override { return {}; }
    qint32 LineDial(const QString&) override { return LineResult::NotOpen; }
    qint32 LineAnswer() override { return LineResult::NotOpen; }
    qint32 LineDrop() override { return LineResult::NotOpen; }
    bool IsCallConnected() const override { return false; }

    static DeviceCaps line(const QString& name, bool recommended)
    {
        DeviceCaps caps;
        caps.DeviceName = name;
        caps.TapiCapability = true;
        caps.CallerIdCapability = recommended;
        return caps;
    }
};

// Sound devices by name; nothing plays.
class FakeWave final : public WaveControlBase {
public:
    QStringList devices;

    void InitDevices() override { }
    qint32 OutDeviceCount() const override { return qint32(devices.size()); }
    bool GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const override
    {
        caps = OutDeviceCaps();
        if (index < 0 || index >= devices.size())
            return false;
        caps.DeviceName = devices.at(index);
        caps.Playable = true;
        return true;
    }

protected:
    qint32 startPlayback(const WavePlayback&, QString*) override { return WaveResult::NoDevice; }
    void stopPlayback() override { }
};

struct FakeDevices final : MainDevices {
    TelephonyControl& Tapi1() override { return *tapi; }
    WaveControl& Wave1() override { return wave; }
    FakeLines lines;
    TelephonyControl* tapi = &lines;
    FakeWave wave;
};

// Records what the window asked of the service.
struct FakeService final : ServiceSwitch {
    bool CanRunAsService() override { return canRun; }
    bool ServiceMode() const override { return mode; }
    void InstallRunServ() override
    {
        calls << QStringLiteral("install");
        mode = true;
    }
    void UnInstallRunServ() override
    {
        calls << QStringLiteral("uninstall");
        mode = false;
    }
    bool ServiceRunning() override { return runsAfterInstall && mode; }
    void StartServiceProcess() override { calls << QStringLiteral("start -gc"); }
    void ShowServiceManager(QWidget*) override { calls << QStringLiteral("manager"); }

    bool canRun = true;
    bool mode = false;
    bool runsAfterInstall = true;
    QStringList calls;
};

// A program folder with the shipped settings keys, a translation whose line n
// reads "#n", two lines and two sound devices, a hub without a service, and
// the properties window loaded as the main window loads it.
class PropertiesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        loadTranslation(QStringLiteral("LTR"));
        devices.lines.lines = {
            FakeLines::line(QStringLiteral("Line A"), true), FakeLines::line(QStringLiteral("Line B"), true)};
        devices.wave.devices = {QStringLiteral("Card 1"), QStringLiteral("Card 2")};
        SetHubLink(&hub);
        SetMainWindow(&mainWindow);
        SetMainDevices(&devices);
        SetServiceSwitch(&service);
        SetSettingsOpeners(&openers);
        g_bLineOff = false;
        g_bAutoMode = false;
        g_bExiting = false;
    }
    void TearDown() override
    {
        g_bExiting = true;
        UnloadPropertiesWindow();
        g_bExiting = false;
        if (BalloonTip* balloon = BalloonTip::current())
            balloon->close();
        SetSettingsOpeners(nullptr);
        SetServiceSwitch(nullptr);
        SetMainDevices(nullptr);
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
    frmProperties& reload()
    {
        g_bExiting = true;
        UnloadPropertiesWindow();
        g_bExiting = false;
        return LoadPropertiesWindow();
    }

    static RegistryRoutines settings(const QString& subkey) { return RegistryRoutines::forProduct(subkey); }
    static QString stored(const QString& subkey, const QString& name)
    {
        return settings(subkey).getString(name);
    }
    static void store(const QString& subkey, const QString& name, const QString& value)
    {
        ASSERT_TRUE(settings(subkey).setString(name, value)) << name.toStdString();
    }

    TestEnvironment env;
    TestClock clock;
    HubLink hub;
    RecordedMainWindow mainWindow;
    FakeDevices devices;
    FakeService service;
    RecordedOpeners openers;
};
