// SPDX-License-Identifier: MIT
#include "PosixFile.h"

#include "Errno.h"
#include "SystemServices.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    Close();
}

int FileDescriptor::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool FileDescriptor::Close() {
    if (fd_ < 0)
        return true;
    // Linux frees the descriptor even when close fails, so it is never retried.
    const int result = ::close(Release());
    return result == 0 || errno == EINTR;
}

QByteArray EncodePath(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        throw PlatformError(Err::BadFileName);
    QByteArray encoded = QFile::encodeName(path);
    if (QFile::decodeName(encoded) != path)
        throw PlatformError(Err::BadFileName);
    return encoded;
}

FileDescriptor OpenRegularFileForReading(const QString& path) {
    const QByteArray name = EncodePath(path);
    // Non-blocking so that a FIFO cannot hang the open; it is refused just below.
    FileDescriptor fd(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid())
        throw ErrorFromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        throw ErrorFromErrno(errno, path);
    if (!S_ISREG(st.st_mode))
        throw PlatformError(Err::PathFileAccess);
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

long ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR)
            return static_cast<long>(n);
    }
}

std::string ReadToEnd(int fd, const QString& path) {
    try {
        std::string data;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_size > 0)
            data.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            const long n = ReadSome(fd, buffer, sizeof buffer);
            if (n < 0)
                throw ReadError(ErrorFromErrno(errno, path), std::move(data));
            if (n == 0)
                return data;
            data.append(buffer, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        throw PlatformError(Err::OutOfMemory);
    }
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) { // no progress and no reason: treat as a full disk rather than spin
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace velmora::linux_impl
