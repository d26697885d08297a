// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

namespace velmora::linux_impl {

// One line of a mountinfo table.
struct MountEntry {
    QString mountPoint; // as the kernel shows it, without a trailing "/" (except "/")
    QString fsType;
    QString source; // device, share or the file system's own name
};

// The table at path (the format of /proc/self/mountinfo), in table order; empty when it
// cannot be read. Lines that are not well formed are skipped.
QList<MountEntry> ReadMountInfo(const QString& path);

// True for file systems that hold no user files (proc, sysfs, cgroup, ...). tmpfs and ramfs
// are not among them: a RAM disk is a volume of its own.
bool IsPseudoFileSystem(const QString& fsType);

// True when the mount is a volume the user browses: no pseudo file system, no system
// plumbing under /proc, /sys, /dev or /run (except removable media under /run/media),
// no snap images and no container layers other than the root.
bool IsUserVolume(const MountEntry& entry);

bool IsNetworkFileSystem(const QString& fsType);
bool IsOpticalFileSystem(const QString& fsType);
bool IsMemoryFileSystem(const QString& fsType);
// File systems that live on a local disk even when their source is no /dev path (zfs, ...).
bool IsLocalDiskFileSystem(const QString& fsType);

} // namespace velmora::linux_impl
