// SPDX-License-Identifier: MIT
#include "Files.h"

#include "AtomicReplace.h"
#include "Errno.h"
#include "PosixFile.h"
#include "SystemServices.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinksFollowed = 40; // as the kernel's own limit

} // namespace

void MakeFolder(const QString& path) {
    if (::mkdir(EncodePath(path).constData(), 0777) != 0)
        throw ErrorFromErrno(errno, path);
}

namespace {

// Reads up to size bytes at offset, fewer only at the end; -1 with errno on failure.
long ReadAt(int fd, char* buffer, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return long(done);
}

// True when the regular file at path holds exactly what fd holds.
bool SameContent(int fd, const QString& path) {
    FileDescriptor other;
    try {
        other = OpenRegularFileForReading(path);
    } catch (const PlatformError&) {
        return false;
    }
    static constexpr std::size_t kChunk = 65536;
    std::unique_ptr<char[]> a(new char[kChunk]), b(new char[kChunk]);
    for (off_t offset = 0;; offset += off_t(kChunk)) {
        const long n = ReadAt(fd, a.get(), kChunk, offset);
        const long m = ReadAt(other.Get(), b.get(), kChunk, offset);
        if (n < 0 || n != m || std::memcmp(a.get(), b.get(), std::size_t(n)) != 0)
            return false;
        if (n < long(kChunk))
            return true;
    }
}

} // namespace

void CopyFileKeepingOthers(const QString& source, const QString& target) {
    FileDescriptor in = OpenRegularFileForReading(source);
    AtomicReplace out(target);
    char buffer[65536];
    for (;;) {
        const long n = ReadSome(in.Get(), buffer, sizeof buffer);
        if (n < 0)
            throw ErrorFromErrno(errno, source);
        if (n == 0)
            break;
        out.Write(buffer, static_cast<std::size_t>(n));
    }
    if (out.CommitIfAbsent())
        return;
    // A copy left by an interrupted registration, or the source itself: nothing is lost by
    // keeping it. Anything else there is someone's file.
    if (!SameContent(in.Get(), target))
        throw PlatformError(Err::FileAlreadyExists);
}

void DeleteFile(const QString& path) {
    if (::unlink(EncodePath(path).constData()) != 0)
        throw ErrorFromErrno(errno, path);
}

std::string ReadWholeFile(const QString& path) {
    FileDescriptor fd = OpenRegularFileForReading(path);
    return ReadToEnd(fd.Get(), path);
}

namespace {

// Where a chain of symbolic links at path ends: path itself when it is no link. A dangling
// chain ends at the name that does not exist yet.
QString FinalLinkTarget(const QString& path) {
    QString current = path;
    for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
        const QByteArray name = EncodePath(current);
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(name.constData(), target, sizeof target);
        if (length <= 0)
            throw ErrorFromErrno(length < 0 ? errno : ENOENT, current);
        const QString next = QFile::decodeName(QByteArray(target, length));
        current = next.startsWith(u'/') ? next : ParentFolderOf(current) + u'/' + next;
    }
    throw ErrorFromErrno(ELOOP, path);
}

} // namespace

void WriteFileAtomically(const QString& path, std::string_view data) {
    // The user's link stays a link; the file it leads to gets the new content.
    AtomicReplace out(FinalLinkTarget(path));
    out.Write(data.data(), data.size());
    out.Commit();
}

void RemoveTemporaryFiles(const QString& folder) {
    FileDescriptor dirFd(
        ::open(EncodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.Valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return;
        throw ErrorFromErrno(errno, folder);
    }
    DIR* dir = ::fdopendir(dirFd.Get());
    if (!dir)
        throw ErrorFromErrno(errno, folder);
    dirFd.Release(); // closedir closes it
    const QByteArray prefix(kTemporaryPrefix);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        // Best effort: one file that cannot go (another user's, in a shared folder) must
        // not keep the others.
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

bool FileExists(const QString& path) {
    QByteArray name;
    try {
        name = EncodePath(path);
    } catch (const PlatformError&) {
        return false;
    }
    struct stat st {};
    return ::stat(name.constData(), &st) == 0;
}

namespace {

std::int64_t Nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

std::optional<FileStamp> StampOf(const QString& path) {
    QByteArray name;
    try {
        name = EncodePath(path);
    } catch (const PlatformError&) {
        return std::nullopt;
    }
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    // File times come from the kernel's coarse clock, cut to the file system's precision. A
    // change still within that tick could leave them as they are: such a stamp proves
    // nothing. Whole milliseconds suggest a coarse file system (FAT keeps 2 s).
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    const bool coarse = st.st_mtim.tv_nsec % 1000000 == 0 && st.st_ctim.tv_nsec % 1000000 == 0;
    const std::int64_t settled = Nanoseconds(now) - (coarse ? std::int64_t(3) * 1000000000 : 0);
    const std::int64_t write = Nanoseconds(st.st_mtim);
    const std::int64_t change = Nanoseconds(st.st_ctim);
    if (write >= settled || change >= settled)
        return std::nullopt;
    return FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                     write, change};
}

namespace {

// The longest leading part that resolves, resolved, then the rest as written, cleaned. A
// link cycle (or a folder that may not be entered) ends the part that resolves.
fs::path ResolveLeadingPart(const fs::path& absolute) {
    fs::path resolved = absolute.root_path();
    auto part = absolute.begin();
    if (part != absolute.end() && *part == resolved)
        ++part;
    for (; part != absolute.end(); ++part) {
        std::error_code error;
        fs::path next = fs::canonical(resolved / *part, error);
        if (error)
            break;
        resolved = std::move(next);
    }
    for (; part != absolute.end(); ++part)
        resolved /= *part;
    return resolved.lexically_normal();
}

} // namespace

QString ResolvePath(const QString& path) {
    if (path.isEmpty())
        return {};
    const fs::path written(QFile::encodeName(path).toStdString());
    std::error_code error;
    fs::path absolute = fs::absolute(written, error);
    if (error) // no working folder any more
        absolute = fs::path("/") / written;
    // Follows at most 40 links, as the kernel does; more is taken for a cycle.
    fs::path resolved = fs::weakly_canonical(absolute, error);
    if (error)
        resolved = ResolveLeadingPart(absolute);
    QByteArray bytes = QByteArray::fromStdString(resolved.native());
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return QFile::decodeName(bytes);
}

} // namespace velmora::linux_impl
