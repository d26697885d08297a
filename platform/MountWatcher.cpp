// SPDX-License-Identifier: MIT
#include "MountWatcher.h"

#include "Platform.h"

namespace velmora {

MountWatcher* Platform::WatchMounts(QObject* parent) {
    return new MountWatcher(parent);
}

} // namespace velmora
