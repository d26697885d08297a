// SPDX-License-Identifier: MIT
#pragma once

#include "BlockDevices.h"
#include "FolderListing.h"
#include "MountTable.h"
#include "MountTableMark.h"
#include "Volume.h"

#include <QHash>

#include <memory>
#include <optional>

namespace velmora::linux_impl {

// The machine's volumes, read from the mount table, the block devices (udev unless given)
// and the udev label links. All three can be given so that tests describe any machine.
// What was read is kept until the kernel marks a mount or unmount (a table that is an
// ordinary file is read at every call): registering a thousand pictures asks a thousand
// times for the drive of a folder.
class Drives {
  public:
    Drives(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
           std::shared_ptr<const BlockDevices> devices = {},
           QString diskLinksRoot = QStringLiteral("/dev/disk"));

    // The user's volumes, sorted by mount point.
    QList<Volume> List() const;
    // The listed volume with the longest mount point that holds folder (links resolved).
    Volume DriveOf(const QString& folder) const;
    // The listed volume of that exact name; 71 when it is not mounted now.
    Volume ByName(const QString& name) const;
    // The Windows drive type (DriveType) of the volume mounted exactly at root.
    int TypeOf(const QString& root) const;

  private:
    // What is known of the mount table as it was last read.
    struct Snapshot {
        QList<MountEntry> mounts;
        std::optional<QList<Volume>> volumes;
        QHash<QString, int> types; // by mount point
    };
    Snapshot& Current() const;
    QList<Volume> ReadList() const;
    int ReadTypeOf(const QString& point) const;

    // Later mounts on the same mount point hide earlier ones: one entry per mount point.
    QList<MountEntry> VisibleMounts() const;
    QString NameOf(const MountEntry& entry) const;
    // The kernel's name of a /dev source: "sdb1" for /dev/sdb1, "dm-0" for /dev/mapper/x.
    QString KernelName(const QString& source) const;
    int BlockDeviceType(const QString& device) const;
    bool IsRemovableDisk(const QString& disk, int depth) const;

    QString mountInfoPath_;
    std::shared_ptr<const BlockDevices> devices_;
    QString diskLinksRoot_;
    std::unique_ptr<MountTableMark> mark_;
    std::unique_ptr<Snapshot> snapshot_;
};

} // namespace velmora::linux_impl
