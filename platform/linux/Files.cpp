#include "Files.h"

#include "AtomicReplace.h"
#include "Errno.h"
#include "PosixFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

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

QByteArray ReadWholeFile(const QString& path) {
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

void WriteFileAtomically(const QString& path, const QByteArray& data) {
    // The user's link stays a link; the file it leads to gets the new content.
    AtomicReplace out(FinalLinkTarget(path));
    out.Write(data.constData(), static_cast<std::size_t>(data.size()));
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

QString ResolvePath(const QString& path) {
    if (path.isEmpty())
        return {};
    const QString absolute =
        path.startsWith(u'/') ? path : QDir::currentPath() + QLatin1Char('/') + path;
    QStringList pending = absolute.split(u'/', Qt::SkipEmptyParts);
    QStringList parts; // the resolved components so far
    int linksFollowed = 0;
    while (!pending.isEmpty()) {
        const QString component = pending.takeFirst();
        if (component == u".")
            continue;
        if (component == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(component);
        const QByteArray name = QFile::encodeName(QLatin1Char('/') + parts.join(u'/'));
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            continue; // a real component, or the part that does not exist
        if (++linksFollowed > kMaxLinksFollowed)
            continue; // a cycle: leave the link as written
        char target[PATH_MAX];
        const ssize_t length = ::readlink(name.constData(), target, sizeof target);
        if (length <= 0)
            continue;
        const QString linkTarget = QFile::decodeName(QByteArray(target, length));
        parts.removeLast();
        if (linkTarget.startsWith(u'/'))
            parts.clear();
        pending = linkTarget.split(u'/', Qt::SkipEmptyParts) + pending;
    }
    return QLatin1Char('/') + parts.join(u'/');
}

} // namespace velmora::linux_impl
