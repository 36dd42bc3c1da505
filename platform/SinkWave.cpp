#include "platform/SinkWave.h"

#include "common/SharedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The highest play number in the folder plus one; the folder may be shared by
// several programs, so the caller holds the folder's lock.
int nextNumber(const QDir& folder)
{
    static const QRegularExpression numbered(QStringLiteral("^(\\d{6})-"));
    int highest = 0;
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = numbered.match(name);
        bool ok = false;
        const int number = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
        if (ok)
            highest = std::max(highest, number);
    }
    return highest + 1;
}

} // namespace

SinkWave::SinkWave(const QString& folder, double speed, QObject* parent)
    : WaveControlBase(parent)
    , m_folder(folder)
    , m_speed(speed > 0 ? speed : 1.0)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { playbackEnded(m_timedId); });
}

SinkWave::~SinkWave()
{
    shutDown();
}

QString SinkWave::deviceName()
{
    return QStringLiteral("Ringvale Audio Sink");
}

bool SinkWave::GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const
{
    caps = OutDeviceCaps();
    if (index != 0)
        return false;
    caps.DeviceName = deviceName();
    caps.Playable = true;
    return true;
}

qint32 SinkWave::startPlayback(const WavePlayback& playback, QString* detail)
{
    QDir folder(m_folder);
    if (!folder.mkpath(QStringLiteral("."))) {
        *detail = QStringLiteral("cannot create ") + m_folder;
        return WaveResult::DeviceFailed;
    }
    {
        SharedFileLock lock(folder.filePath(QStringLiteral("sink")));
        if (!lock.isLocked()) {
            *detail = QStringLiteral("cannot lock ") + m_folder;
            return WaveResult::DeviceFailed;
        }
        const QString name = QStringLiteral("%1-%2")
                                 .arg(nextNumber(folder), 6, 10, QLatin1Char('0'))
                                 .arg(QFileInfo(playback.path).fileName());
        if (!SharedFile::writeAtomically(folder.filePath(name), playback.bytes)) {
            *detail = QStringLiteral("cannot write ") + folder.filePath(name);
            return WaveResult::DeviceFailed;
        }
    }
    m_timedId = playback.id;
    // A corrupt header can claim weeks of sound; a timer cannot wait that long.
    const double ms = double(playback.sound.durationMs()) / m_speed;
    m_timer.start(int(std::clamp(ms, 0.0, double(std::numeric_limits<int>::max()))));
    return WaveResult::Ok;
}

void SinkWave::stopPlayback()
{
    m_timer.stop();
}
