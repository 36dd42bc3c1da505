#include "platform/Backends.h"

#include "platform/AlsaWave.h"
#include "platform/CurlSmtpMail.h"
#include "platform/DetachedLauncher.h"
#include "platform/SimulatedTelephony.h"
#include "platform/SinkWave.h"
#include "platform/SystemSerialPort.h"

TelephonyControl* CreateTelephonyControl(QObject* parent)
{
    return new SimulatedTelephony(SimulatedLines::shared(), parent);
}

WaveControl* CreateWaveControl(QObject* parent)
{
    const QString sink = qEnvironmentVariable("RINGVALE_AUDIO_SINK");
    if (sink.isEmpty())
        return new AlsaWave(parent);
    double speed = 1.0;
    const QString speedText = qEnvironmentVariable("RINGVALE_AUDIO_SINK_SPEED").trimmed();
    if (!speedText.isEmpty()) {
        bool ok = false;
        const double value = speedText.toDouble(&ok);
        if (ok && value > 0 && value <= 1000)
            speed = value;
        else
            qCWarning(lcWave) << "RINGVALE_AUDIO_SINK_SPEED is not a factor above 0:" << speedText;
    }
    return new SinkWave(sink, speed, parent);
}

SmtpMailControl* CreateSmtpMailControl(QObject* parent)
{
    return new CurlSmtpMail({}, parent);
}

std::unique_ptr<ProgramLauncher> CreateProgramLauncher()
{
    return std::make_unique<DetachedLauncher>();
}

SerialPort* CreateSerialPort(QObject* parent)
{
    return new SystemSerialPort(parent);
}
