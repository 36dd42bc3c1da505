#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

// Tells channel endpoints whether sockets of a channel number have come or
// gone in a runtime folder since they last listed it, so that a Send lists
// the folder only after a change. One watch (inotify) for the process, shared
// by every endpoint in every thread. The events are read when asked, not on an
// event loop, so a socket bound before the question is always seen by it.
class ChannelFolderWatch {
public:
    static ChannelFolderWatch& instance();

    // A stamp that differs from every earlier one for the folder and number
    // once a socket file of the number appeared in the folder or went; and
    // always when the folder cannot be watched (the caller then lists the
    // folder each time, as without a watch). Never 0.
    quint64 stamp(const QString& folder, qint32 number);

private:
    ChannelFolderWatch();
    ChannelFolderWatch(const ChannelFolderWatch&) = delete;
    ChannelFolderWatch& operator=(const ChannelFolderWatch&) = delete;

    // Reads every event waiting; m_mutex held.
    void drain();

    struct Folder {
        quint64 all = 0; // everything may have changed (overflow, folder gone)
        QHash<qint32, quint64> numbers;
    };

    QMutex m_mutex;
    int m_fd = -1;
    quint64 m_clock = 0;
    QHash<QString, int> m_watchOf; // folder path to watch descriptor
    QHash<int, Folder> m_folders; // by watch descriptor
};
