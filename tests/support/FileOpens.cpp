#include "tests/support/FileOpens.h"

#include <QFile>

#include <ctime>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

FileOpens::FileOpens(const QString& folder, const QByteArray& name)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , m_name(name)
{
    // The closes too: the kernel merges an event into the one before when
    // the two are alike, so opens alone would count as one.
    const uint32_t mask = IN_OPEN | IN_CLOSE | IN_ONLYDIR;
    if (m_fd >= 0 && ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), mask) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FileOpens::~FileOpens()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileOpens::take()
{
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; m_fd >= 0 && (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (!(event->mask & IN_OPEN))
                continue;
            if (m_name.isEmpty() ? event->len == 0 : (event->len > 0 && m_name == event->name))
                ++opens;
        }
    }
    return opens;
}

bool ageFile(const QString& path)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}
