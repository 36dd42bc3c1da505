#pragma once

#include <QString>

// A small file system of its own (a tmpfs) mounted over an empty folder, that
// a test fills to the last byte and frees again: the real ENOSPC a user meets
// on a full disk. Mounting needs root, as CI has; where it cannot mount, a
// test skips, except under CI=true, where it fails (see requireMounted).
class FullDisk {
public:
    FullDisk(const QString& folder, qint64 sizeBytes);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    // Why it could not mount; empty when it did.
    QString problem() const { return m_problem; }

    // Takes every free block with a filler file; false when it could not.
    bool fill();
    // Gives the blocks back.
    void free();

    QString folder() const { return m_folder; }

private:
    QString m_folder;
    QString m_filler;
    QString m_problem;
    bool m_mounted = false;
};

// In a TEST body: skips, or under CI=true fails, when disk did not mount.
#define REQUIRE_FULL_DISK(disk)                                                                              \
    do {                                                                                                     \
        if (!(disk).isMounted()) {                                                                           \
            if (qEnvironmentVariable("CI") == u"true")                                                       \
                FAIL() << "cannot mount a small file system: " << (disk).problem().toStdString();            \
            GTEST_SKIP() << "cannot mount a small file system: " << (disk).problem().toStdString();          \
        }                                                                                                    \
    } while (false)
