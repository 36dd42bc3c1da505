#include "desktop/settings/MainDevices.h"

#include "platform/Backends.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"

#include <QCoreApplication>
#include <QPointer>

#include <cstdio>

namespace {

class OwnDevices final : public MainDevices {
public:
    TelephonyControl& Tapi1() override
    {
        if (!m_tapi) {
            m_tapi = CreateTelephonyControl(QCoreApplication::instance());
            if (const qint32 rc = m_tapi->Initialize(); rc != 0) {
                const QByteArray why = m_tapi->ErrorText(rc).toUtf8();
                std::fprintf(stderr, "Ringvale: the line devices cannot be listed: %s\n", why.constData());
            }
        }
        return *m_tapi;
    }
    WaveControl& Wave1() override
    {
        if (!m_wave) {
            m_wave = CreateWaveControl(QCoreApplication::instance());
            m_wave->InitDevices();
        }
        return *m_wave;
    }

private:
    QPointer<TelephonyControl> m_tapi;
    QPointer<WaveControl> m_wave;
};

MainDevices*& installed()
{
    static MainDevices* devices = nullptr;
    return devices;
}

} // namespace

MainDevices& CurrentMainDevices()
{
    static OwnDevices standIn;
    MainDevices* devices = installed();
    return devices ? *devices : standIn;
}

void SetMainDevices(MainDevices* devices)
{
    installed() = devices;
}
