#include "tests/support/FullDisk.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

FullDisk::FullDisk(const QString& folder, qint64 sizeBytes)
    : m_folder(folder)
    , m_filler(folder + QStringLiteral("/.filler"))
{
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
            options.constData())
        != 0) {
        m_problem = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_mounted = true;
}

FullDisk::~FullDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

bool FullDisk::fill()
{
    const int fd
        = ::open(QFile::encodeName(m_filler).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Large pieces first, then single bytes, so not even the slack of a page
    // is left to the filler's own file.
    static const QByteArray piece(64 * 1024, 'f');
    for (const qsizetype size : {piece.size(), qsizetype(4096), qsizetype(1)}) {
        while (::write(fd, piece.constData(), size_t(size)) == ssize_t(size)) { }
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

void FullDisk::free()
{
    QFile::remove(m_filler);
}
