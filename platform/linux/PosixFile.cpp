// SPDX-License-Identifier: MIT
#include "PosixFile.h"

#include "BufferRoom.h"
#include "Errno.h"
#include "HugePages.h"
#include "SystemServices.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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
        // Straight into the string, which a list keeps as its text: sized for the whole file
        // and one byte more, so that the end shows without growing it. Read in steps, each
        // one kept before the next can fail.
        constexpr std::size_t kStep = std::size_t(1) << 20;
        struct stat st {};
        const std::size_t expected =
            ::fstat(fd, &st) == 0 && st.st_size > 0 ? std::size_t(st.st_size) + 1 : 65536;
        std::string data;
        data.reserve(RoomFor(expected));
        AskForLargePages(data.data(), expected);
        data.resize(expected);
        std::size_t filled = 0;
        for (;;) {
            if (filled == data.size())
                data.resize(data.size() * 2);
            const long n =
                ReadSome(fd, data.data() + filled, std::min(kStep, data.size() - filled));
            if (n < 0) {
                const int error = errno;
                data.resize(filled);
                throw ReadError(ErrorFromErrno(error, path), std::move(data));
            }
            if (n == 0) {
                data.resize(filled);
                return data;
            }
            filled += std::size_t(n);
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
