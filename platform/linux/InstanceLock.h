// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora::linux_impl {

// One running program per application folder, whatever the environment it was started from
// (su, sudo -u, cron, a remote login): the lock is an flock() on the folder itself, so it is
// tied to the files it protects, needs no write permission, and the kernel drops it with the
// process, so a crashed run never leaves it stuck. Where the folder cannot be locked (a
// network file system that emulates flock with write locks) a lock file in it stands in.
class InstanceLock {
  public:
    explicit InstanceLock(QString folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another live process holds the folder's lock; otherwise takes it (and keeps
    // it until this object is destroyed or the process ends). Throws the mapped error when
    // the lock can be neither taken nor seen taken.
    bool HeldByAnother();

  private:
    QString folder_;
    int fd_ = -1;
};

} // namespace velmora::linux_impl
