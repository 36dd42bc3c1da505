#include "platform/LineAudio.h"

#include <QHash>

namespace LineAudio {

namespace {
// Only the event-loop thread registers and records, so no lock.
QHash<QString, LineAudioSource*>& sources()
{
    static QHash<QString, LineAudioSource*> table;
    return table;
}
} // namespace

void registerSource(const QString& device, LineAudioSource* source)
{
    sources().insert(device, source);
}

void unregisterSource(const QString& device, LineAudioSource* source)
{
    const auto it = sources().constFind(device);
    if (it != sources().constEnd() && it.value() == source)
        sources().remove(device);
}

LineAudioSource* source(const QString& device)
{
    return sources().value(device, nullptr);
}

} // namespace LineAudio
