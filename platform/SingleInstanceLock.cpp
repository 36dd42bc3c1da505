#include "platform/SingleInstanceLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstanceLock::SingleInstanceLock(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    do {
        m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_state = State::Acquired;
        return;
    }
    m_state = errno == EWOULDBLOCK ? State::HeldElsewhere : State::Failed;
    ::close(m_fd);
    m_fd = -1;
}

SingleInstanceLock::~SingleInstanceLock()
{
    // The file itself stays: removing it would let a later process lock a new
    // file while another still holds the old one.
    if (m_fd >= 0)
        ::close(m_fd);
}
