#include "platform/ChannelFolderWatch.h"

#include <QFile>
#include <QMutexLocker>

#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t kWatched
    = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// The number of a socket file "chan_<number>_<pid>_<token>".
std::optional<qint32> numberOf(const char* name)
{
    if (std::strncmp(name, "chan_", 5) != 0)
        return std::nullopt;
    const char* digits = name + 5;
    const char* end = std::strchr(digits, '_');
    if (!end || end == digits)
        return std::nullopt;
    bool ok = false;
    const qint32 number = QByteArray(digits, end - digits).toInt(&ok);
    return ok ? std::optional<qint32>(number) : std::nullopt;
}

} // namespace

ChannelFolderWatch& ChannelFolderWatch::instance()
{
    // Never destroyed: an endpoint may still send while statics go at exit.
    static ChannelFolderWatch* const watch = new ChannelFolderWatch;
    return *watch;
}

ChannelFolderWatch::ChannelFolderWatch()
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
}

quint64 ChannelFolderWatch::stamp(const QString& folder, qint32 number)
{
    const QMutexLocker lock(&m_mutex);
    if (m_fd < 0)
        return ++m_clock;
    drain();
    auto watch = m_watchOf.constFind(folder);
    if (watch == m_watchOf.constEnd()) {
        const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), kWatched);
        if (wd < 0)
            return ++m_clock;
        watch = m_watchOf.insert(folder, wd);
        // Whatever was known of the folder before the watch is no longer sure.
        m_folders[wd].all = ++m_clock;
    }
    const Folder& state = m_folders[*watch];
    return qMax(state.all, state.numbers.value(number));
}

void ChannelFolderWatch::drain()
{
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                for (Folder& folder : m_folders)
                    folder.all = ++m_clock;
                continue;
            }
            const auto folder = m_folders.find(event->wd);
            if (folder == m_folders.end())
                continue;
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                // The folder went (or a watch follows it elsewhere): forget
                // it, and the next question watches the path afresh, which
                // gives a new stamp.
                if (event->mask & IN_MOVE_SELF)
                    ::inotify_rm_watch(m_fd, event->wd);
                m_folders.erase(folder);
                for (auto it = m_watchOf.begin(); it != m_watchOf.end();)
                    it = it.value() == event->wd ? m_watchOf.erase(it) : std::next(it);
                continue;
            }
            if (event->len == 0)
                continue;
            if (const std::optional<qint32> number = numberOf(event->name))
                folder->numbers.insert(*number, ++m_clock);
        }
    }
}
