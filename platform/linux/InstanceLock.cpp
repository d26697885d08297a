// SPDX-License-Identifier: MIT
#include "InstanceLock.h"

#include "Errno.h"
#include "PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

constexpr const char* kLockFileName = ".velmora.lock";

enum class LockResult { Taken, HeldByAnother, Failed };

LockResult TryLock(int fd) {
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return LockResult::Taken;
    return errno == EWOULDBLOCK ? LockResult::HeldByAnother : LockResult::Failed;
}

} // namespace

InstanceLock::InstanceLock(QString folder) : folder_(std::move(folder)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool InstanceLock::HeldByAnother() {
    if (fd_ >= 0)
        return false;
    const QByteArray folder = EncodePath(folder_);
    // O_CLOEXEC: programs started from here (a mail program, a browser) must not inherit
    // the lock and keep it after this process ends.
    FileDescriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid())
        throw ErrorFromErrno(errno, folder_);
    switch (TryLock(dir.Get())) {
    case LockResult::Taken:
        fd_ = dir.Release();
        return false;
    case LockResult::HeldByAnother:
        return true;
    case LockResult::Failed:
        break;
    }
    const int folderError = errno;
    FileDescriptor file(::openat(dir.Get(), kLockFileName,
                                 O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0666));
    if (!file.Valid())
        throw ErrorFromErrno(folderError, folder_);
    switch (TryLock(file.Get())) {
    case LockResult::Taken:
        fd_ = file.Release();
        return false;
    case LockResult::HeldByAnother:
        return true;
    case LockResult::Failed:
        break;
    }
    throw ErrorFromErrno(errno, folder_);
}

} // namespace velmora::linux_impl
