#include "platform/DeviceLookups.h"

#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"

qint32 FindSoundDeviceIndex(const WaveControl& wave, const QString& name)
{
    qint32 found = 0;
    for (qint32 i = 0; i < wave.OutDeviceCount(); ++i) {
        OutDeviceCaps caps;
        if (wave.GetOutDeviceCaps(i, caps) && caps.DeviceName == name)
            found = i;
    }
    return found;
}

QString GetSoundDeviceName(const WaveControl& wave, qint32 index)
{
    OutDeviceCaps caps;
    return wave.GetOutDeviceCaps(index, caps) ? caps.DeviceName : QString();
}

qint32 FindModemLineIndex(TelephonyControl& tapi, const QString& name)
{
    for (qint32 i = 0; i < tapi.DeviceCount(); ++i) {
        tapi.setCurrentLine(i);
        DeviceCaps caps;
        if (tapi.GetDeviceCaps(caps) == 0 && caps.DeviceName == name)
            return i;
    }
    return -1;
}
