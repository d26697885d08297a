// SPDX-License-Identifier: MIT
#pragma once

#include "BlockDevices.h"

namespace velmora::linux_impl {

// The block devices as udev sees them in /sys. Each question opens its own udev context,
// as a context may not be shared between threads.
class UdevBlockDevices : public BlockDevices {
  public:
    QString MappedDevice(const QString& mappedName) const override;
    QString DiskOf(const QString& device) const override;
    BlockDisk Disk(const QString& disk) const override;
};

} // namespace velmora::linux_impl
