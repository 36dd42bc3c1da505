#include "platform/AlsaWave.h"

#include <alsa/asoundlib.h>

#include <QMutex>

#include <chrono>
#include <cstdarg>
#include <mutex>

namespace {

constexpr unsigned kLatencyUs = 100000;
constexpr int kWaitMs = 20;

// ALSA prints its own complaints on standard error; ours go to the category.
void quietAlsa(const char* file, int line, const char* function, int err, const char* fmt, ...)
{
    Q_UNUSED(file)
    Q_UNUSED(line)
    Q_UNUSED(fmt)
    qCDebug(lcWave) << "alsa:" << function << snd_strerror(err);
}

void installQuietHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietAlsa); });
}

QString alsaError(const QString& what, int err)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(snd_strerror(err));
}

// Opens without waiting for a busy device, then sets the sample layout.
snd_pcm_t* openPcm(
    const QString& name, snd_pcm_stream_t stream, unsigned channels, unsigned rate, QString* detail)
{
    installQuietHandler();
    snd_pcm_t* pcm = nullptr;
    int err = snd_pcm_open(&pcm, name.toLocal8Bit().constData(), stream, SND_PCM_NONBLOCK);
    if (err < 0) {
        *detail = alsaError(name, err);
        return nullptr;
    }
    err = snd_pcm_set_params(
        pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, channels, rate, 1, kLatencyUs);
    if (err < 0) {
        *detail = alsaError(name, err);
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

void play(snd_pcm_t* pcm, PcmSound sound, std::shared_ptr<std::atomic_bool> stop)
{
    const snd_pcm_uframes_t total = snd_pcm_uframes_t(sound.frames());
    snd_pcm_uframes_t done = 0;
    while (done < total && !*stop) {
        const snd_pcm_sframes_t written
            = snd_pcm_writei(pcm, sound.samples.data() + done * sound.channels, total - done);
        if (written == -EAGAIN) {
            snd_pcm_wait(pcm, kWaitMs);
        } else if (written < 0) {
            if (snd_pcm_recover(pcm, int(written), 1) < 0)
                break;
        } else {
            done += snd_pcm_uframes_t(written);
        }
    }
    // A sound shorter than the start threshold has not started yet.
    if (!*stop && snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(pcm);
    while (!*stop && snd_pcm_state(pcm) == SND_PCM_STATE_RUNNING) {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm, &delay) < 0 || delay <= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
}

class AlsaCapture final : public AudioCapture {
public:
    AlsaCapture(snd_pcm_t* pcm, quint16 channels)
        : m_pcm(pcm)
        , m_channels(channels)
    {
        snd_pcm_start(m_pcm);
        m_thread = std::thread([this] { run(); });
    }

    ~AlsaCapture() override
    {
        m_stop = true;
        m_thread.join();
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
    }

    quint16 channels() const override { return m_channels; }

    std::vector<qint16> take() override
    {
        QMutexLocker locker(&m_mutex);
        std::vector<qint16> out;
        out.swap(m_buffer);
        return out;
    }

    QString failure() const override
    {
        QMutexLocker locker(&m_mutex);
        return m_failure;
    }

private:
    void run()
    {
        std::vector<qint16> chunk(size_t(4096) * m_channels);
        while (!m_stop) {
            const snd_pcm_sframes_t got = snd_pcm_readi(m_pcm, chunk.data(), chunk.size() / m_channels);
            if (got == -EAGAIN) {
                snd_pcm_wait(m_pcm, kWaitMs);
                continue;
            }
            if (got < 0) {
                if (snd_pcm_recover(m_pcm, int(got), 1) >= 0)
                    continue;
                QMutexLocker locker(&m_mutex);
                m_failure = alsaError(QStringLiteral("capture"), int(got));
                return;
            }
            QMutexLocker locker(&m_mutex);
            m_buffer.insert(m_buffer.end(), chunk.begin(), chunk.begin() + got * m_channels);
        }
    }

    snd_pcm_t* m_pcm;
    quint16 m_channels;
    std::atomic_bool m_stop{false};
    std::thread m_thread;
    mutable QMutex m_mutex;
    std::vector<qint16> m_buffer;
    QString m_failure;
};

} // namespace

AlsaWave::AlsaWave(QObject* parent)
    : WaveControlBase(parent)
{
    InitDevices();
}

AlsaWave::~AlsaWave()
{
    shutDown();
    stopPlayback();
}

void AlsaWave::InitDevices()
{
    installQuietHandler();
    m_devices.clear();
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, QByteArrayLiteral("hw:").append(QByteArray::number(card)).constData(), 0) < 0)
            continue;
        snd_ctl_card_info_t* cardInfo = nullptr;
        snd_ctl_card_info_malloc(&cardInfo);
        const QString cardName = snd_ctl_card_info(ctl, cardInfo) >= 0
            ? QString::fromLocal8Bit(snd_ctl_card_info_get_name(cardInfo))
            : QStringLiteral("Card %1").arg(card);
        snd_ctl_card_info_free(cardInfo);
        snd_pcm_info_t* pcmInfo = nullptr;
        snd_pcm_info_malloc(&pcmInfo);
        int device = -1;
        while (snd_ctl_pcm_next_device(ctl, &device) == 0 && device >= 0) {
            snd_pcm_info_set_device(pcmInfo, unsigned(device));
            snd_pcm_info_set_subdevice(pcmInfo, 0);
            snd_pcm_info_set_stream(pcmInfo, SND_PCM_STREAM_PLAYBACK);
            if (snd_ctl_pcm_info(ctl, pcmInfo) < 0)
                continue;
            m_devices.append(
                {cardName + QStringLiteral(": ") + QString::fromLocal8Bit(snd_pcm_info_get_name(pcmInfo)),
                    QStringLiteral("plughw:%1,%2").arg(card).arg(device)});
        }
        snd_pcm_info_free(pcmInfo);
        snd_ctl_close(ctl);
    }
    // The system's default output (often a sound server) is the natural first
    // choice, but only where a card exists to back it.
    if (!m_devices.isEmpty())
        m_devices.prepend({QStringLiteral("Default sound output"), QStringLiteral("default")});
}

bool AlsaWave::GetOutDeviceCaps(qint32 index, OutDeviceCaps& caps) const
{
    caps = OutDeviceCaps();
    if (index < 0 || index >= m_devices.size())
        return false;
    caps.DeviceName = m_devices.at(index).name;
    caps.Playable = true;
    return true;
}

qint32 AlsaWave::startPlayback(const WavePlayback& playback, QString* detail)
{
    stopPlayback();
    const Device& device = m_devices.at(playback.device);
    snd_pcm_t* pcm = openPcm(
        device.pcm, SND_PCM_STREAM_PLAYBACK, playback.sound.channels, playback.sound.samplesPerSec, detail);
    if (!pcm)
        return WaveResult::DeviceFailed;
    m_stop = std::make_shared<std::atomic_bool>(false);
    const quint64 id = playback.id;
    m_player = std::thread([this, pcm, sound = playback.sound, stop = m_stop, id]() mutable {
        play(pcm, std::move(sound), stop);
        if (!*stop)
            QMetaObject::invokeMethod(
                this, [this, id] { playbackEnded(id); }, Qt::QueuedConnection);
    });
    return WaveResult::Ok;
}

void AlsaWave::stopPlayback()
{
    if (m_stop)
        *m_stop = true;
    // The player looks at the flag every few milliseconds.
    if (m_player.joinable())
        m_player.join();
}

std::unique_ptr<AudioCapture> AlsaWave::openCapture(
    const QString& device, const WaveFormat& format, qint32* code, QString* detail)
{
    snd_pcm_t* pcm = openPcm(device, SND_PCM_STREAM_CAPTURE, format.nChannels, format.nSamplesPerSec, detail);
    if (!pcm) {
        *code = WaveResult::NoDevice;
        return nullptr;
    }
    return std::make_unique<AlsaCapture>(pcm, format.nChannels);
}
