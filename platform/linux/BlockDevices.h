// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace velmora::linux_impl {

// What the kernel tells of one whole disk.
struct BlockDisk {
    bool removable = false; // the kernel's own flag (sticks, card readers, CD drives)
    QString bus;            // "usb" or "mmc" when the disk hangs off such a bus, else empty
    QStringList slaves;     // the devices under a mapped or stacked volume (kernel names)
};

// The machine's block devices by kernel name ("sdb1", "dm-0"). Tests answer for a made-up
// machine; the program asks udev.
class BlockDevices {
  public:
    virtual ~BlockDevices() = default;
    // The kernel name of the device-mapper volume of that name; empty when there is none.
    virtual QString MappedDevice(const QString& mappedName) const = 0;
    // The whole disk of a device: the device itself for a disk, its disk for a partition;
    // empty when the device is unknown.
    virtual QString DiskOf(const QString& device) const = 0;
    virtual BlockDisk Disk(const QString& disk) const = 0;
};

} // namespace velmora::linux_impl
