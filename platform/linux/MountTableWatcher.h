// SPDX-License-Identifier: MIT
#pragma once

#include "MountWatcher.h"
#include "Volume.h"

#include <functional>

class QSocketNotifier;

namespace velmora::linux_impl {

// Follows a mountinfo table. The kernel marks an open /proc/<pid>/mountinfo as urgent data
// (POLLPRI) after every mount and unmount in the process's namespace; the watcher then reads
// the volumes again and signals only when the user's volumes differ from those last seen,
// so that the many mounts of system plumbing go unnoticed.
class MountTableWatcher : public MountWatcher {
  public:
    MountTableWatcher(const QString& mountInfoPath, std::function<QList<Volume>()> listDrives,
                      QObject* parent = nullptr);
    ~MountTableWatcher() override;

    // Reads the volumes and signals Changed when they differ from those last seen. Runs on the
    // kernel's mark; a table that gives no mark (an ordinary file) is checked by calling it.
    void Check();

  private:
    std::function<QList<Volume>()> listDrives_;
    QList<Volume> seen_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace velmora::linux_impl
