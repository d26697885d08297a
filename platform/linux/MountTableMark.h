// SPDX-License-Identifier: MIT
#pragma once

#include "PosixFile.h"

#include <QString>

namespace velmora::linux_impl {

// Whether a mountinfo table may have changed since it was last asked. The kernel marks an
// open /proc/<pid>/mountinfo (POLLPRI) after every mount and unmount in the namespace, and
// asking clears the mark; a table without marks (an ordinary file) may always have changed.
class MountTableMark {
  public:
    explicit MountTableMark(const QString& path);

    // True on the first call, after a mount or unmount, and always for a table without marks.
    bool Changed();

  private:
    FileDescriptor fd_;
    bool marks_ = false;
    bool asked_ = false;
};

} // namespace velmora::linux_impl
