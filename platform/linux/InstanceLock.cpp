#include "InstanceLock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

QString LockFileName() {
    return QStringLiteral("velmora-%1.lock").arg(static_cast<qulonglong>(::getuid()));
}

// A folder only this user can write to, so that nobody else can take or hold the lock.
bool IsPrivateFolder(const QString& folder) {
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

InstanceLock::InstanceLock(QString lockPath) : path_(std::move(lockPath)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool InstanceLock::HeldByAnother() {
    if (fd_ >= 0)
        return false;
    // O_CLOEXEC: programs started from here (a mail program, a browser) must not inherit
    // the lock and keep it after this process ends.
    const int fd = ::open(QFile::encodeName(path_).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0)
        return false;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return taken;
    }
    fd_ = fd;
    // The process id is for people looking at the file; the lock itself is the flock.
    const QByteArray pid = QByteArray::number(static_cast<qlonglong>(::getpid())) + '\n';
    if (::ftruncate(fd_, 0) == 0)
        (void)!::pwrite(fd_, pid.constData(), static_cast<size_t>(pid.size()), 0);
    return false;
}

QString DefaultInstanceLockPath() {
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && runtime.startsWith(u'/') && IsPrivateFolder(runtime))
        return runtime + QLatin1Char('/') + LockFileName();
    const QString own = QStringLiteral("/tmp/velmora-%1").arg(static_cast<qulonglong>(::getuid()));
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (IsPrivateFolder(own))
        return own + QLatin1Char('/') + LockFileName();
    return QDir::homePath() + QStringLiteral("/.") + LockFileName();
}

} // namespace velmora::linux_impl
