#include "Files.h"

#include "AtomicReplace.h"
#include "Errno.h"
#include "PosixFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
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

void CopyFileReplacing(const QString& source, const QString& target) {
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
    out.Commit();
}

void DeleteFile(const QString& path) {
    if (::unlink(EncodePath(path).constData()) != 0)
        throw ErrorFromErrno(errno, path);
}

QByteArray ReadWholeFile(const QString& path) {
    FileDescriptor fd = OpenRegularFileForReading(path);
    return ReadToEnd(fd.Get(), path);
}

void WriteFileAtomically(const QString& path, const QByteArray& data) {
    AtomicReplace out(path);
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
