// SPDX-License-Identifier: MIT
#include "MountTableMark.h"

#include <QFile>

#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/vfs.h>

namespace velmora::linux_impl {

MountTableMark::MountTableMark(const QString& path)
    : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {
    struct statfs fs {};
    marks_ = fd_.Valid() && ::fstatfs(fd_.Get(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

bool MountTableMark::Changed() {
    if (!marks_)
        return true;
    pollfd table{fd_.Get(), POLLPRI, 0};
    const int ready = ::poll(&table, 1, 0);
    const bool marked = ready != 0 && (ready < 0 || (table.revents & (POLLPRI | POLLERR)) != 0);
    const bool first = !asked_;
    asked_ = true;
    return first || marked;
}

} // namespace velmora::linux_impl
