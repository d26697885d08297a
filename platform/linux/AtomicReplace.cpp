// SPDX-License-Identifier: MIT
#include "AtomicReplace.h"

#include "Errno.h"
#include "PictureSource.h"
#include "TemporaryPrefix.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

constexpr int kNameAttempts = 100;

QByteArray UniqueSuffix() {
    return QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// Makes the rename itself durable. File systems that cannot flush a folder say so with
// EINVAL; that is no failure of ours.
int SyncFolder(const QByteArray& folder) {
    FileDescriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid())
        return 0;
    if (::fsync(fd.Get()) != 0 && errno != EINVAL && errno != ENOTSUP)
        return errno;
    return 0;
}

} // namespace

AtomicReplace::AtomicReplace(const QString& target)
    : target_(target), targetName_(EncodePath(target)),
      folderName_(EncodePath(ParentFolderOf(target))) {
    const QByteArray prefix = folderName_ + '/' + kTemporaryPrefix;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporaryName_ = prefix + UniqueSuffix();
        // Mode 0666 lets the umask decide, as for any file the user creates.
        fd_ = FileDescriptor(::open(temporaryName_.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (fd_.Valid())
            break;
        if (errno != EEXIST) {
            const int err = errno;
            temporaryName_.clear();
            throw ErrorFromErrno(err, target_);
        }
    }
    if (!fd_.Valid()) {
        temporaryName_.clear();
        throw PlatformError(Err::PathFileAccess);
    }
    // A replaced file keeps its permissions.
    struct stat st {};
    if (::stat(targetName_.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd_.Get(), st.st_mode & 07777);
}

AtomicReplace::~AtomicReplace() {
    if (committed_ || temporaryName_.isEmpty())
        return;
    fd_.Close();
    ::unlink(temporaryName_.constData());
}

void AtomicReplace::Fail(int err) {
    fd_.Close();
    ::unlink(temporaryName_.constData());
    temporaryName_.clear();
    throw ErrorFromErrno(err, target_);
}

void AtomicReplace::Write(const char* data, std::size_t size) {
    if (!WriteAll(fd_.Get(), data, size))
        Fail(errno);
}

void AtomicReplace::Write(const void* data, std::int64_t size) {
    Write(static_cast<const char*>(data), std::size_t(size));
}

void AtomicReplace::WriteAt(std::int64_t offset, const void* data, std::int64_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_.Get(), p, std::size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(errno);
        if (n == 0)
            Fail(ENOSPC);
        p += n;
        offset += n;
        size -= n;
    }
}

std::int64_t AtomicReplace::CopyFrom(codec::ByteSource& source, std::int64_t from, std::int64_t at,
                                     std::int64_t len) {
    const auto* file = dynamic_cast<PictureSource*>(&source);
    if (!file)
        return 0;
    // The kernel copies without passing the bytes through this process. Any failure leaves
    // the rest to the caller's own copy, which tells which side failed.
    std::int64_t done = 0;
    while (done < len) {
        loff_t in = from + done;
        loff_t out = at + done;
        const ssize_t n =
            ::copy_file_range(file->fd(), &in, fd_.Get(), &out, std::size_t(len - done), 0);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

void AtomicReplace::Reserve(std::int64_t size) {
    if (::fallocate(fd_.Get(), 0, 0, off_t(size)) != 0 && errno != EOPNOTSUPP && errno != ENOSYS &&
        errno != EINVAL)
        Fail(errno);
    if (::ftruncate(fd_.Get(), off_t(size)) != 0)
        Fail(errno);
}

void AtomicReplace::Flush() {
    if (::fsync(fd_.Get()) != 0)
        Fail(errno);
    if (!fd_.Close())
        Fail(errno);
}

bool AtomicReplace::CommitIfAbsent() {
    Flush();
    const char* from = temporaryName_.constData();
    const char* to = targetName_.constData();
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return false;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            Fail(errno);
        // A file system without the flag: a hard link cannot replace anything either.
        if (::link(from, to) == 0) {
            ::unlink(from);
        } else {
            if (errno == EEXIST)
                return false;
            if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
                Fail(errno);
            // Nor hard links (FAT): claim the name first, then replace only that claim.
            FileDescriptor claim(::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!claim.Valid()) {
                if (errno == EEXIST)
                    return false;
                Fail(errno);
            }
            if (::rename(from, to) != 0) {
                const int err = errno;
                ::unlink(to);
                Fail(err);
            }
        }
    }
    committed_ = true;
    if (const int err = SyncFolder(folderName_))
        throw ErrorFromErrno(err, target_);
    return true;
}

void AtomicReplace::Commit() {
    Flush();
    if (::rename(temporaryName_.constData(), targetName_.constData()) != 0)
        Fail(errno);
    committed_ = true;
    if (const int err = SyncFolder(folderName_))
        throw ErrorFromErrno(err, target_);
}

} // namespace velmora::linux_impl
