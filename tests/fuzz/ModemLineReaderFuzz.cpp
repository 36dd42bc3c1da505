// libFuzzer target for the modem line reader; built and run by
// scripts/fuzz-modem-reader, never by CTest.
#include "service/line/ModemLineReader.h"

#include <cstdint>
#include <cstdlib>

namespace {

QList<ModemEvent> readWhole(QByteArrayView bytes)
{
    ModemLineReader reader;
    return reader.read(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the size of the reads the rest arrives in.
    const qsizetype step = data[0] % 32 + 1;
    const QByteArrayView stream(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    ModemLineReader reader;
    ModemCaller caller;
    QList<ModemEvent> events;
    for (qsizetype at = 0; at < stream.size(); at += step)
        events += reader.read(stream.sliced(at, std::min(step, stream.size() - at)));
    if (events != readWhole(stream))
        std::abort();
    for (const ModemEvent& event : std::as_const(events)) {
        caller.apply(event);
        for (const QChar c : event.text)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                std::abort();
    }
    if (caller.sCallerName.isEmpty() || caller.sCallerNumber.isEmpty())
        std::abort();
    return 0;
}
