#include "platform/WaveControlBase.h"

#include "common/SharedFile.h"
#include "platform/LineAudio.h"

#include <QElapsedTimer>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcWave, "ringvale.wave", QtCriticalMsg)

namespace {

constexpr int kRecordTickMs = 20;

// The far end of a line as it arrives: the time since the start decides how
// much of it has been heard.
class LineCapture final : public AudioCapture {
public:
    explicit LineCapture(const QString& device)
        : m_device(device)
    {
        m_clock.start();
    }

    quint16 channels() const override { return 1; }

    std::vector<qint16> take() override
    {
        const qint64 due = m_clock.elapsed() * LineAudio::SamplesPerSec / 1000 - m_taken;
        if (due <= 0)
            return {};
        m_taken += due;
        // Looked up each time: the line may go away while it is recorded.
        LineAudioSource* source = LineAudio::source(m_device);
        return source ? source->takeFarEndSamples(due) : std::vector<qint16>();
    }

private:
    QString m_device;
    QElapsedTimer m_clock;
    qint64 m_taken = 0;
};

} // namespace

WaveControlBase::WaveControlBase(QObject* parent)
    : WaveControl(parent)
{
    m_recordTimer.setInterval(kRecordTickMs);
    connect(&m_recordTimer, &QTimer::timeout, this, &WaveControlBase::drain);
}

WaveControlBase::~WaveControlBase() = default;

void WaveControlBase::shutDown()
{
    if (m_playing) {
        m_playing = false;
        stopPlayback();
    }
    if (m_recording)
        StopRecord();
}

void WaveControlBase::CloseDevices()
{
    if (m_playing)
        StopPlay();
    if (m_recording)
        StopRecord();
}

qint32 WaveControlBase::failed(qint32 code, const QString& detail)
{
    m_details.insert(code, detail);
    qCDebug(lcWave) << RecordErrorText(code);
    return code;
}

qint32 WaveControlBase::PlayFile(const QString& path, qint32 device, qint32 rate)
{
    Q_UNUSED(rate)
    if (!QFileInfo(path).isFile())
        return failed(WaveResult::NoFile, path);
    const std::optional<QByteArray> bytes = SharedFile::readBounded(path, kMaxWaveFileBytes);
    if (!bytes)
        return failed(WaveResult::NoFile, path);
    QString reason;
    const std::optional<WaveFileData> wave = ParseWaveFile(*bytes, &reason);
    std::optional<PcmSound> sound;
    if (wave)
        sound = DecodeWaveData(wave->format, wave->data, wave->factSamples, &reason);
    if (!sound)
        return failed(WaveResult::BadFile, path + QStringLiteral(": ") + reason);
    if (device < 0 || device >= OutDeviceCount())
        return failed(WaveResult::NoDevice, QStringLiteral("device %1").arg(device));
    // A new playback ends the one before it, which still gets its PlayDone.
    if (m_playing)
        StopPlay();
    WavePlayback playback{m_playId + 1, path, *bytes, std::move(*sound), device};
    const qint32 code = startPlayback(playback, &reason);
    if (code != WaveResult::Ok)
        return failed(code, reason);
    m_playId = playback.id;
    m_playing = true;
    return WaveResult::Ok;
}

qint32 WaveControlBase::StopPlay()
{
    if (!m_playing)
        return WaveResult::NotPlaying;
    stopPlayback();
    playbackEnded(m_playId);
    return WaveResult::Ok;
}

void WaveControlBase::playbackEnded(quint64 id)
{
    // A stop and a natural end can both report the same playback: one counts.
    if (!m_playing || id != m_playId)
        return;
    m_playing = false;
    QMetaObject::invokeMethod(
        this, [this] { emit PlayDone(); }, Qt::QueuedConnection);
}

std::unique_ptr<AudioCapture> WaveControlBase::openCapture(
    const QString& device, const WaveFormat& format, qint32* code, QString* detail)
{
    Q_UNUSED(format)
    *code = WaveResult::NoDevice;
    *detail = QStringLiteral("no wave input named ") + device;
    return nullptr;
}

qint32 WaveControlBase::StartRecord(const QString& device, const QString& path,
    const WaveFormat& captureFormat, const WaveFormat& fileFormat, qint32& rate, bool wait)
{
    // A line gives its own format and a sound card captures in the file's
    // rate and channels, so the capture format is not needed; nor is wait.
    Q_UNUSED(captureFormat)
    Q_UNUSED(wait)
    if (m_recording)
        return failed(WaveResult::Busy, QStringLiteral("a recording is already running"));
    const QString problem = WaveEncoder::problem(fileFormat);
    if (!problem.isEmpty())
        return failed(WaveResult::UnsupportedFormat, problem);
    auto recording = std::make_unique<Recording>();
    recording->fileChannels = fileFormat.nChannels;
    if (LineAudio::source(device)) {
        if (fileFormat.nSamplesPerSec != LineAudio::SamplesPerSec || fileFormat.nChannels > 2)
            return failed(WaveResult::UnsupportedFormat,
                QStringLiteral("a line carries 8000 Hz sound, recorded in mono or stereo"));
        recording->capture = std::make_unique<LineCapture>(device);
    } else {
        const WaveFormat capture = PcmWaveFormat(fileFormat.nSamplesPerSec, fileFormat.nChannels, 16);
        qint32 code = WaveResult::NoDevice;
        QString detail;
        recording->capture = openCapture(device, capture, &code, &detail);
        if (!recording->capture)
            return failed(code, detail);
    }
    QString detail;
    if (!recording->writer.open(path, fileFormat, &detail))
        return failed(WaveResult::CannotWrite, detail);
    rate = qint32(fileFormat.nSamplesPerSec);
    m_recording = std::move(recording);
    m_recordTimer.start();
    return WaveResult::Ok;
}

void WaveControlBase::drain()
{
    if (!m_recording || !m_recording->failure.isEmpty())
        return;
    std::vector<qint16> samples = m_recording->capture->take();
    const quint16 captured = m_recording->capture->channels();
    const quint16 wanted = m_recording->fileChannels;
    if (captured == 1 && wanted == 2) {
        std::vector<qint16> stereo;
        stereo.reserve(samples.size() * 2);
        for (qint16 sample : samples)
            stereo.insert(stereo.end(), {sample, sample});
        samples.swap(stereo);
    }
    QString failure;
    if (!samples.empty()
        && !m_recording->writer.write(samples.data(), qsizetype(samples.size()) / wanted, &failure))
        m_recording->failure = failure;
    else if (m_recording->failure.isEmpty())
        m_recording->failure = m_recording->capture->failure();
    if (!m_recording->failure.isEmpty())
        qCDebug(lcWave) << "recording stopped:" << m_recording->failure;
}

qint32 WaveControlBase::StopRecord()
{
    if (!m_recording)
        return failed(WaveResult::NotRecording, QString());
    m_recordTimer.stop();
    drain();
    std::unique_ptr<Recording> recording = std::move(m_recording);
    recording->capture.reset();
    QString detail;
    const bool finished = recording->writer.finish(&detail);
    if (!recording->failure.isEmpty())
        return failed(WaveResult::CannotWrite, recording->failure);
    if (!finished)
        return failed(WaveResult::CannotWrite, detail);
    return WaveResult::Ok;
}

QString WaveControlBase::RecordErrorText(qint32 code) const
{
    QString text;
    switch (code) {
    case WaveResult::Ok:
        return QStringLiteral("Success");
    case WaveResult::NoFile:
        text = QStringLiteral("The sound file does not exist or cannot be read");
        break;
    case WaveResult::BadFile:
        text = QStringLiteral("The sound file is not a wave file that can be played");
        break;
    case WaveResult::NoDevice:
        text = QStringLiteral("There is no such sound device");
        break;
    case WaveResult::DeviceFailed:
        text = QStringLiteral("The sound device cannot be used");
        break;
    case WaveResult::Busy:
        text = QStringLiteral("A recording is already running");
        break;
    case WaveResult::UnsupportedFormat:
        text = QStringLiteral("The recording format is not supported");
        break;
    case WaveResult::CannotWrite:
        text = QStringLiteral("The recording could not be written");
        break;
    case WaveResult::NotRecording:
        text = QStringLiteral("No recording is running");
        break;
    case WaveResult::NotPlaying:
        text = QStringLiteral("Nothing is playing");
        break;
    default:
        return QStringLiteral("Unknown wave error %1").arg(code);
    }
    const QString detail = m_details.value(code);
    return detail.isEmpty() ? text : text + QStringLiteral(" (") + detail + u')';
}
