// SPDX-License-Identifier: MIT
#include "FolderListing.h"

#include "Errno.h"
#include "PosixFile.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace velmora::linux_impl {

namespace {

enum class Want { Folders, Files };

// Case-insensitive order with a case-sensitive tie-break, so that the order never depends
// on the order the file system returned the names in.
bool NameLess(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

QList<QRegularExpression> PatternsOf(const QStringList& patterns) {
    QList<QRegularExpression> result;
    for (const QString& list : patterns) {
        for (const QString& pattern : list.split(u';', Qt::SkipEmptyParts)) {
            result.append(QRegularExpression(
                QRegularExpression::wildcardToRegularExpression(pattern.trimmed()),
                QRegularExpression::CaseInsensitiveOption));
        }
    }
    return result;
}

QStringList List(const QString& folder, Want want, const QStringList& patterns) {
    FileDescriptor dirFd(
        ::open(EncodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.Valid()) {
        // The folder itself is what is missing, whether or not its parent exists.
        if (errno == ENOENT)
            throw PlatformError(Err::PathNotFound);
        throw ErrorFromErrno(errno, folder);
    }
    DIR* dir = ::fdopendir(dirFd.Get());
    if (!dir)
        throw ErrorFromErrno(errno, folder);
    dirFd.Release();
    const QList<QRegularExpression> filters = PatternsOf(patterns);
    QStringList names;
    int readError = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            readError = errno;
            break;
        }
        if (entry->d_name[0] == '.')
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0)
            continue; // a dangling link, or gone meanwhile
        const QString name = QFile::decodeName(entry->d_name);
        if (want == Want::Folders) {
            if (S_ISDIR(st.st_mode))
                names.append(name);
            continue;
        }
        if (!S_ISREG(st.st_mode))
            continue;
        const bool matches =
            filters.isEmpty() ||
            std::any_of(filters.begin(), filters.end(), [&](const QRegularExpression& filter) {
                return filter.match(name).hasMatch();
            });
        if (matches)
            names.append(name);
    }
    ::closedir(dir);
    if (readError != 0)
        throw ErrorFromErrno(readError, folder);
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

} // namespace

QStringList ListSubfolders(const QString& folder) {
    return List(folder, Want::Folders, {});
}

QStringList ListFiles(const QString& folder, const QStringList& patterns) {
    return List(folder, Want::Files, patterns);
}

} // namespace velmora::linux_impl
