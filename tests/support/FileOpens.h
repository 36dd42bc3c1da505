#pragma once

#include <QByteArray>
#include <QString>

// Counts, as the kernel reports them (inotify), the opens of one file in a
// folder, or with an empty name of the folder itself (a listing).
class FileOpens {
public:
    FileOpens(const QString& folder, const QByteArray& name = {});
    ~FileOpens();
    FileOpens(const FileOpens&) = delete;
    FileOpens& operator=(const FileOpens&) = delete;

    bool isWatching() const { return m_fd >= 0; }
    // The opens since the last call.
    int take();

private:
    int m_fd = -1;
    QByteArray m_name;
};

// Dates the file's modification an hour back, as if nobody wrote it lately.
bool ageFile(const QString& path);
