// SPDX-License-Identifier: MIT
#include "Errno.h"

#include <QFile>
#include <QtDebug>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace velmora::linux_impl {

namespace {

bool IsFolder(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int NumberOf(int err, const QString& path) {
    switch (err) {
    case ENOENT:
        return IsFolder(ParentFolderOf(path)) ? Err::FileNotFound : Err::PathNotFound;
    case ENOTDIR:
    case ELOOP: // a link cycle: the path leads nowhere
        return Err::PathNotFound;
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
    case ENOTCONN: // a FUSE volume (sshfs, ...) whose connection is gone
    case ESTALE:   // a network volume that went away under us
        return Err::DiskNotReady;
    case EEXIST:
    case EISDIR:
    case EROFS:
        return Err::PathFileAccess;
    case EACCES:
    case EPERM:
        return Err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return Err::DiskFull;
    case EIO:
        return Err::DeviceIO;
    case ENAMETOOLONG:
    case EILSEQ:
        return Err::BadFileName;
    case ENOMEM:
        return Err::OutOfMemory;
    default:
        // The user sees the generic access error; the system's own words go to the log.
        qWarning("velmora: %s: %s", QFile::encodeName(path).constData(), std::strerror(err));
        return Err::PathFileAccess;
    }
}

} // namespace

QString ParentFolderOf(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return p.left(slash);
}

PlatformError ErrorFromErrno(int err, const QString& path) {
    return PlatformError(NumberOf(err, path));
}

} // namespace velmora::linux_impl
