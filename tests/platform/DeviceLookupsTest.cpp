#include "platform/DeviceLookups.h"
#include "platform/WaveControl.h"

#include <gtest/gtest.h>

namespace {

// Output devices with chosen names; no back-end here has several.
class NamedOutputs final : public WaveControl {
public:
    explicit NamedOutputs(QStringList names)
        : m_names(std::move(names))
    {
    }
    void InitDevices() override { }
    void CloseDevices() override { }
    qint32 OutDeviceCount() const override { return qint32(m_names.size()); }
    bool GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const override
    {
        caps = OutDeviceCaps();
        if (index < 0 || index >= m_names.size())
            return false;
        caps.DeviceName = m_names.at(index);
        caps.Playable = true;
        return true;
    }
    qint32 PlayFile(const QString&, qint32, qint32) override { return WaveResult::NoDevice; }
    bool IsPlaying() const override { return false; }
    qint32 StopPlay() override { return WaveResult::NotPlaying; }
    qint32 StartRecord(
        const QString&, const QString&, const WaveFormat&, const WaveFormat&, qint32&, bool) override
    {
        return WaveResult::NoDevice;
    }
    bool IsRecording() const override { return false; }
    qint32 StopRecord() override { return WaveResult::NotRecording; }
    QString RecordErrorText(qint32) const override { return {}; }

private:
    QStringList m_names;
};

} // namespace

TEST(DeviceLookups, SoundDeviceByNameTakesTheLastMatchOrTheFirstDevice)
{
    const NamedOutputs wave({QStringLiteral("Speakers"), QStringLiteral("USB"), QStringLiteral("Speakers")});
    struct Row {
        const char* name;
        qint32 index;
    };
    const Row rows[] = {{"Speakers", 2}, {"USB", 1}, {"usb", 0}, {"", 0}, {"Headset", 0}};
    for (const Row& row : rows)
        EXPECT_EQ(FindSoundDeviceIndex(wave, QString::fromLatin1(row.name)), row.index) << row.name;
    EXPECT_EQ(GetSoundDeviceName(wave, 1), QStringLiteral("USB"));
    EXPECT_EQ(GetSoundDeviceName(wave, 3), QString());
    EXPECT_EQ(GetSoundDeviceName(wave, -1), QString());
    EXPECT_EQ(FindSoundDeviceIndex(NamedOutputs({}), QStringLiteral("Speakers")), 0);
}
