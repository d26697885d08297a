#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace velmora::linux_impl {

// One lock per user: a second run sees it taken; a crashed run never leaves it stuck.
class InstanceLock {
public:
    explicit InstanceLock(QString lockPath);
    ~InstanceLock();
    // True when another live process holds the lock; otherwise takes it.
    bool HeldByAnother();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

// Where the per-user lock lives: the runtime folder, else the temporary folder.
QString DefaultInstanceLockPath();

} // namespace velmora::linux_impl
