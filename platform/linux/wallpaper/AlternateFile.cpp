// SPDX-License-Identifier: MIT
#include "AlternateFile.h"

#include "Errno.h"
#include "Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

void Unlink(const QByteArray& path) {
    ::unlink(path.constData());
}

// Copies source to target (which must not exist) for file systems without hard links.
void CopyInto(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw ErrorFromErrno(errno, source);
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw ErrorFromErrno(errno, target);
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0)
            throw PlatformError(Err::DeviceIO);
        if (got == 0)
            break;
        if (out.write(buffer, got) != got) {
            const int err = errno;
            out.close();
            Unlink(QFile::encodeName(target));
            throw ErrorFromErrno(err ? err : EIO, target);
        }
    }
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        const int err = errno;
        out.close();
        Unlink(QFile::encodeName(target));
        throw ErrorFromErrno(err ? err : EIO, target);
    }
}

} // namespace

QString AlternateNameOf(const QString& path) {
    const QFileInfo info(path);
    QString name = QLatin1Char('.') + info.completeBaseName() + QStringLiteral("-alt");
    if (!info.suffix().isEmpty())
        name += QLatin1Char('.') + info.suffix();
    return info.dir().filePath(name);
}

void MirrorFile(const QString& path, const QString& alternate) {
    // Built under the temporary prefix, so a run killed half-way leaves a file that the
    // next start removes.
    const QString temporary = QFileInfo(alternate).dir().filePath(
        QString::fromLatin1(kTemporaryPrefix) + QFileInfo(alternate).fileName());
    const QByteArray source = QFile::encodeName(path);
    const QByteArray tmp = QFile::encodeName(temporary);
    const QByteArray target = QFile::encodeName(alternate);

    Unlink(tmp);
    if (::link(source.constData(), tmp.constData()) != 0) {
        const int err = errno;
        if (err != EPERM && err != EXDEV && err != EOPNOTSUPP && err != EMLINK && err != ENOSYS)
            throw ErrorFromErrno(err, err == ENOENT ? path : alternate);
        CopyInto(path, temporary);
    }
    if (::rename(tmp.constData(), target.constData()) != 0) {
        const int err = errno;
        Unlink(tmp);
        throw ErrorFromErrno(err, alternate);
    }
    // rename() leaves both names when they are links of one file already.
    Unlink(tmp);
}

} // namespace velmora::linux_impl
