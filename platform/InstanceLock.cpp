#include "InstanceLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int openLockFile(const QByteArray &path)
{
    // Close-on-exec: an updater started by this copy must not keep holding the
    // lock after the copy has ended.
    int fd;
    do
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int lockFile(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

// A folder of this user's that no one else can write into: no one else can
// take, remove or replace the lock files there.
bool isPrivateFolder(const QByteArray &path, bool strict)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if (strict && (info.st_mode & 077) != 0)
        return false;
    return ::access(path.constData(), W_OK | X_OK) == 0;
}

}

QString InstanceLock::DefaultDirectory()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime, false))
        return QFile::decodeName(runtime);
    const QByteArray fallback = "/tmp/zorvel-runtime-" + QByteArray::number(::getuid());
    ::mkdir(fallback.constData(), 0700);
    if (isPrivateFolder(fallback, true))
        return QFile::decodeName(fallback);
    return {};
}

InstanceLock::InstanceLock(const QString &name, const QString &directory)
{
    if (directory.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/')))
        return;
    // The suffixes are lower case and instance names upper case, so the files
    // of one program never meet another program's.
    const QByteArray base = QFile::encodeName(directory + QLatin1Char('/') + name);
    const int gate = openLockFile(base + ".gate");
    if (gate < 0)
        return;
    // Copies enter one at a time, for a moment, so that looking for other
    // holders and taking this copy's own hold are one step: of copies started
    // together, exactly one finds the lock free.
    if (lockFile(gate, LOCK_EX) != 0) {
        ::close(gate);
        return;
    }
    const int fd = openLockFile(base + ".lock");
    if (fd >= 0) {
        if (lockFile(fd, LOCK_EX | LOCK_NB) == 0) {
            // No one else holds it. Keep a shared hold, so that later copies,
            // refused ones included, hold it beside this one; nobody can come in
            // between the two calls while the gate is closed.
            if (lockFile(fd, LOCK_SH) == 0)
                m_fd = fd;
        } else if (errno == EWOULDBLOCK && lockFile(fd, LOCK_SH | LOCK_NB) == 0) {
            m_fd = fd;
            m_alreadyExisted = true;
        }
        if (m_fd < 0)
            ::close(fd);
    }
    lockFile(gate, LOCK_UN);
    ::close(gate);
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
