#pragma once

#include "FolderListing.h"
#include "MountTable.h"
#include "Platform.h"

namespace velmora::linux_impl {

// The machine's volumes, read from the mount table, sysfs and the udev label links. All
// three locations can be given so that tests describe any machine.
class Drives {
  public:
    Drives(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
           QString sysfsRoot = QStringLiteral("/sys"),
           QString diskLinksRoot = QStringLiteral("/dev/disk"));

    // The user's volumes, sorted by mount point.
    QList<DriveInfo> List() const;
    // The listed volume with the longest mount point that holds folder (links resolved).
    DriveInfo DriveOf(const QString& folder) const;
    // The listed volume of that exact name; 71 when it is not mounted now.
    DriveInfo ByName(const QString& name) const;
    // The Windows drive type (DriveType) of the volume mounted exactly at root.
    int TypeOf(const QString& root) const;

  private:
    // Later mounts on the same mount point hide earlier ones: one entry per mount point.
    QList<MountEntry> VisibleMounts() const;
    QString NameOf(const MountEntry& entry) const;
    // The kernel's name of a /dev source: "sdb1" for /dev/sdb1, "dm-0" for /dev/mapper/x.
    QString KernelName(const QString& source) const;
    // The disk of a kernel device name (the disk itself, or the disk of a partition).
    QString DiskOf(const QString& device) const;
    int BlockDeviceType(const QString& device) const;
    bool IsRemovableDisk(const QString& disk, int depth) const;

    QString mountInfoPath_;
    QString sysfsRoot_;
    QString diskLinksRoot_;
};

} // namespace velmora::linux_impl
