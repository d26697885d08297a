// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <grp.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::test {

int ErrorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const PlatformError& error) {
        return error.Number;
    }
    return 0;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

QStringList TemporaryFilesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".velmora-tmp-*")},
                                  QDir::AllEntries | QDir::Hidden | QDir::System);
}

bool IsRoot() {
    return ::geteuid() == 0;
}

TmpfsMount::TmpfsMount(const QString& folder, const QByteArray& size)
    : folder_(QFile::encodeName(folder)), size_("size=" + size) {
    mounted_ =
        IsRoot() && ::mount("tmpfs", folder_.constData(), "tmpfs", 0, size_.constData()) == 0;
}

TmpfsMount::~TmpfsMount() {
    if (mounted_)
        ::umount2(folder_.constData(), MNT_DETACH);
}

bool TmpfsMount::MakeReadOnly() {
    return mounted_ && ::mount("tmpfs", folder_.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                               size_.constData()) == 0;
}

int ErrorNumberWithoutPrivileges(const std::function<void()>& f) {
    if (!IsRoot())
        return ErrorNumberOf(f);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(1);
        const int number = ErrorNumberOf(f);
        const bool sent = ::write(pipeFds[1], &number, sizeof number) == sizeof number;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    int number = -1;
    if (::read(pipeFds[0], &number, sizeof number) != sizeof number)
        number = -1;
    ::close(pipeFds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return number;
}

} // namespace velmora::test
