#include "common/WaveFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The sounds an installation offers: readable by the wave layer, short, and
// audible.
TEST(ShippedSounds, BeepAndRingAreShortAudibleWaveFiles)
{
    const char* files[] = {"data/Beep.wav", "data/Sound/Ring.wav"};
    for (const char* file : files) {
        QString error;
        const auto sound
            = LoadWaveSound(QStringLiteral(RINGVALE_SOURCE_DIR "/") + QLatin1String(file), &error);
        ASSERT_TRUE(sound.has_value()) << file << ": " << error.toStdString();
        EXPECT_EQ(sound->channels, 1) << file;
        EXPECT_EQ(sound->samplesPerSec, 8000u) << file;
        EXPECT_GE(sound->durationMs(), 100) << file;
        EXPECT_LE(sound->durationMs(), 5000) << file;
        int peak = 0;
        for (const qint16 s : sound->samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << file;
    }
}

} // namespace
