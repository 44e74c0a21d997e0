#include "UpdaterLock.h"

#include <cerrno>
#include <cstring>
#include <sys/file.h>

UpdaterLock::UpdaterLock(const QString &path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadWrite)) {
        m_error = QStringLiteral("cannot open the lock file %1: %2").arg(path, m_file.errorString());
        return;
    }
    int status;
    do
        status = ::flock(m_file.handle(), LOCK_EX | LOCK_NB);
    while (status != 0 && errno == EINTR);
    if (status == 0) {
        m_result = Result::Held;
        return;
    }
    if (errno == EWOULDBLOCK)
        m_result = Result::Busy;
    else
        m_error = QStringLiteral("cannot lock %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    m_file.close();
}
