#pragma once

#include <QString>

namespace velmora::linux_impl {

// One lock per user: a second run sees it taken; a crashed run never leaves it stuck,
// because the lock is an flock() on an open file, which the kernel drops with the process.
// The lock is per user, not per program folder: two copies of the program in different
// folders still count as one instance for the same user.
class InstanceLock {
  public:
    explicit InstanceLock(QString lockPath);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another live process holds the lock; otherwise takes it (and keeps it
    // until this object is destroyed or the process ends). When the lock file cannot be
    // opened at all the answer is false: not knowing must not keep the program from starting.
    bool HeldByAnother();

  private:
    QString path_;
    int fd_ = -1;
};

// Where the per-user lock lives: the user's runtime folder, else a folder of this user
// under /tmp, else the user's home.
QString DefaultInstanceLockPath();

} // namespace velmora::linux_impl
