#include "BmpOutput.h"

#include "Errno.h"
#include "Files.h"
#include "PictureSource.h"
#include "PlatformError.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace velmora::linux_impl {

namespace {

void Put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

} // namespace

BmpOutput::BmpOutput(const QString& target, int width, int height)
    : target_(target), height_(height) {
    stride_ = (int64_t(width) * 3 + 3) / 4 * 4;
    const int64_t pixelBytes = stride_ * height;
    const int64_t total = kHeaderSize + pixelBytes;

    const QByteArray name = QFile::encodeName(target);
    if (name.isEmpty())
        fail(ENOENT);
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : name.left(std::max<qsizetype>(slash, 1));
    for (int attempt = 0; fd_ < 0; ++attempt) {
        tempName_ = folder + (folder.endsWith('/') ? "" : "/") + kTemporaryPrefix +
                    QByteArray::number(qint64(::getpid())) + '-' +
                    QByteArray::number(QRandomGenerator::global()->generate64(), 16);
        fd_ = ::open(tempName_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt > 16)) {
            const int err = errno;
            tempName_.clear();
            fail(err);
        }
    }

    // The destructor does not run for a constructor that throws: clean up here.
    try {
        // Claiming the space first turns a full disk into an error before any decoding.
        if (::fallocate(fd_, 0, 0, off_t(total)) != 0 && errno != EOPNOTSUPP && errno != ENOSYS &&
            errno != EINVAL)
            fail(errno);
        if (::ftruncate(fd_, off_t(total)) != 0)
            fail(errno);

        uint8_t header[kHeaderSize] = {};
        header[0] = 'B';
        header[1] = 'M';
        Put32(header + 2, uint32_t(total));
        Put32(header + 10, uint32_t(kHeaderSize));
        Put32(header + 14, 40);
        Put32(header + 18, uint32_t(width));
        Put32(header + 22, uint32_t(height));
        Put16(header + 26, 1);
        Put16(header + 28, 24);
        Put32(header + 34, uint32_t(pixelBytes));
        Put32(header + 38, 2835); // 72 dots per inch
        Put32(header + 42, 2835);
        writeAt(0, header, kHeaderSize);
    } catch (...) {
        ::close(fd_);
        ::unlink(tempName_.constData());
        throw;
    }
}

BmpOutput::~BmpOutput() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !tempName_.isEmpty())
        ::unlink(tempName_.constData());
}

void BmpOutput::fail(int err) const {
    throw ErrorFromErrno(err, target_);
}

void BmpOutput::writeAt(int64_t offset, const void* data, int64_t len) {
    const auto* p = static_cast<const char*>(data);
    while (len > 0) {
        const ssize_t n = ::pwrite(fd_, p, size_t(len), off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(ENOSPC);
        p += n;
        offset += n;
        len -= n;
    }
}

void BmpOutput::writeRows(int first, int count, const uint8_t* rows) {
    writeAt(kHeaderSize + int64_t(first) * stride_, rows, int64_t(count) * stride_);
}

void BmpOutput::copyRows(PictureSource& source, int64_t offset) {
    // The source's last row may lack its padding; the file is already zero there.
    const int64_t total = std::min(stride_ * height_, source.size() - offset);
    int64_t done = 0;
    // The kernel copies without passing the pixels through this process.
    while (done < total) {
        loff_t in = offset + done;
        loff_t out = kHeaderSize + done;
        const ssize_t n = ::copy_file_range(source.fd(), &in, fd_, &out, size_t(total - done), 0);
        if (n <= 0)
            break;
        done += n;
    }
    // Elsewhere, or to learn which side failed, copy through a buffer.
    std::vector<uint8_t> buffer;
    while (done < total) {
        if (buffer.empty())
            buffer.resize(size_t(std::min<int64_t>(total - done, 1 << 20)));
        const int64_t want = std::min<int64_t>(total - done, int64_t(buffer.size()));
        const int64_t got = source.readAt(offset + done, buffer.data(), want);
        if (got == 0)
            throw PlatformError(Err::InvalidPicture);
        writeAt(kHeaderSize + done, buffer.data(), got);
        done += got;
    }
}

void BmpOutput::commit() {
    if (::fsync(fd_) != 0)
        fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(errno);
    const QByteArray name = QFile::encodeName(target_);
    if (::rename(tempName_.constData(), name.constData()) != 0)
        fail(errno);
    committed_ = true;
    // Makes the rename itself durable; the new file is in place whatever this answers.
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : name.left(std::max<qsizetype>(slash, 1));
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace velmora::linux_impl
