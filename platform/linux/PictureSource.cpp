// SPDX-License-Identifier: MIT
#include "PictureSource.h"

#include "Errno.h"
#include "PlatformError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

PictureSource::PictureSource(const QString& path) : path_(path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        throw ErrorFromErrno(ENOENT, path);
    // Non-blocking, so that a FIFO cannot hang the open: it is refused just below.
    do {
        fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw ErrorFromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        throw ErrorFromErrno(err, path);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd_);
        throw ErrorFromErrno(EISDIR, path);
    }
    // Pipes and devices have no header we could trust nor a size to check it against.
    if (!S_ISREG(st.st_mode)) {
        ::close(fd_);
        throw PlatformError(Err::InvalidPicture);
    }
    size_ = st.st_size;
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

PictureSource::~PictureSource() {
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t PictureSource::ReadAt(int64_t offset, void* buffer, int64_t len) {
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd_, out + done, size_t(len - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw ErrorFromErrno(errno, path_);
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace velmora::linux_impl
