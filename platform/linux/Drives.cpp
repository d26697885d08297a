// SPDX-License-Identifier: MIT
#include "Drives.h"

#include "Files.h"
#include "PlatformError.h"
#include "SystemServices.h"
#include "UdevBlockDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <climits>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

constexpr int kMaxStackedDevices = 8; // device-mapper over device-mapper over a disk...

QString WithoutTrailingSlash(const QString& path) {
    QString cleaned = QDir::cleanPath(path);
    return cleaned.isEmpty() ? QStringLiteral("/") : cleaned;
}

QString WithTrailingSlash(const QString& path) {
    return path.endsWith(u'/') ? path : path + QLatin1Char('/');
}

QString ReadLink(const QString& path) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return length > 0 ? QFile::decodeName(QByteArray(target, length)) : QString();
}

QString BaseName(const QString& path) {
    return path.section(u'/', -1);
}

// udev writes unsafe characters of a label as \xHH.
QString DecodeLabel(const QString& linkName) {
    QByteArray raw = QFile::encodeName(linkName);
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            const int value = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QString::fromUtf8(out);
}

bool IsDeviceSource(const QString& source) {
    return source.startsWith(QStringLiteral("/dev/"));
}

} // namespace

Drives::Drives(QString mountInfoPath, std::shared_ptr<const BlockDevices> devices,
               QString diskLinksRoot)
    : mountInfoPath_(std::move(mountInfoPath)),
      devices_(devices ? std::move(devices) : std::make_shared<UdevBlockDevices>()),
      diskLinksRoot_(std::move(diskLinksRoot)),
      mark_(std::make_unique<MountTableMark>(mountInfoPath_)),
      snapshot_(std::make_unique<Snapshot>()) {}

Drives::Snapshot& Drives::Current() const {
    if (mark_->Changed())
        *snapshot_ = {VisibleMounts(), std::nullopt, {}};
    return *snapshot_;
}

QList<MountEntry> Drives::VisibleMounts() const {
    QList<MountEntry> mounts;
    QHash<QString, qsizetype> byPoint;
    for (const MountEntry& entry : ReadMountInfo(mountInfoPath_)) {
        const auto found = byPoint.constFind(entry.mountPoint);
        if (found != byPoint.constEnd()) {
            mounts[*found] = entry;
        } else {
            byPoint.insert(entry.mountPoint, mounts.size());
            mounts.append(entry);
        }
    }
    return mounts;
}

QString Drives::KernelName(const QString& source) const {
    // A mapped volume: the kernel knows its dm-N by the name given to it.
    if (source.startsWith(QStringLiteral("/dev/mapper/"))) {
        const QString device = devices_->MappedDevice(BaseName(source));
        if (!device.isEmpty())
            return device;
    }
    const QString real = QFileInfo(source).canonicalFilePath();
    return BaseName(real.isEmpty() ? source : real);
}

QString Drives::NameOf(const MountEntry& entry) const {
    QString label = entry.source;
    if (IsDeviceSource(entry.source)) {
        const QString device = KernelName(entry.source);
        label = BaseName(entry.source);
        const QDir labels(diskLinksRoot_ + QStringLiteral("/by-label"));
        for (const QString& link : labels.entryList(
                 QDir::System | QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (BaseName(ReadLink(labels.filePath(link))) == device) {
                label = DecodeLabel(link);
                break;
            }
        }
    }
    return entry.mountPoint + QStringLiteral(" [") + label + QLatin1Char(']');
}

QList<Volume> Drives::List() const {
    Snapshot& now = Current();
    if (!now.volumes)
        now.volumes = ReadList();
    return *now.volumes;
}

QList<Volume> Drives::ReadList() const {
    QList<Volume> drives;
    for (const MountEntry& entry : snapshot_->mounts) {
        if (IsUserVolume(entry))
            drives.append({NameOf(entry), WithTrailingSlash(entry.mountPoint)});
    }
    if (drives.isEmpty()) // no readable mount table: the root is always there
        drives.append({QStringLiteral("/ [/]"), QStringLiteral("/")});
    std::sort(drives.begin(), drives.end(),
              [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return drives;
}

Volume Drives::DriveOf(const QString& folder) const {
    const QString resolved = WithTrailingSlash(ResolvePath(folder));
    const QList<Volume> drives = List();
    const Volume* best = nullptr;
    for (const Volume& drive : drives) {
        if (resolved.startsWith(drive.root) && (!best || drive.root.size() > best->root.size()))
            best = &drive;
    }
    if (!best)
        throw PlatformError(Err::PathNotFound);
    return *best;
}

Volume Drives::ByName(const QString& name) const {
    for (const Volume& drive : List()) {
        if (drive.name == name)
            return drive;
    }
    throw PlatformError(Err::DiskNotReady);
}

int Drives::TypeOf(const QString& root) const {
    const QString point = WithoutTrailingSlash(root);
    Snapshot& now = Current();
    const auto known = now.types.constFind(point);
    if (known != now.types.constEnd())
        return *known;
    const int type = ReadTypeOf(point);
    now.types.insert(point, type);
    return type;
}

int Drives::ReadTypeOf(const QString& point) const {
    const QList<MountEntry>& mounts = snapshot_->mounts;
    const auto found = std::find_if(mounts.begin(), mounts.end(), [&](const MountEntry& entry) {
        return entry.mountPoint == point;
    });
    if (found == mounts.end())
        return DriveType::NoRootDir;
    const MountEntry& entry = *found;
    if (IsPseudoFileSystem(entry.fsType))
        return DriveType::Unknown;
    if (IsNetworkFileSystem(entry.fsType))
        return DriveType::Remote;
    if (IsOpticalFileSystem(entry.fsType))
        return DriveType::CdRom;
    if (IsMemoryFileSystem(entry.fsType))
        return DriveType::RamDisk;
    if (IsDeviceSource(entry.source))
        return BlockDeviceType(KernelName(entry.source));
    if (IsLocalDiskFileSystem(entry.fsType))
        return DriveType::Fixed;
    return DriveType::Unknown;
}

int Drives::BlockDeviceType(const QString& device) const {
    if (device.startsWith(QStringLiteral("sr")))
        return DriveType::CdRom;
    if (device.startsWith(QStringLiteral("fd")))
        return DriveType::Removable;
    const QString disk = devices_->DiskOf(device);
    return !disk.isEmpty() && IsRemovableDisk(disk, 0) ? DriveType::Removable : DriveType::Fixed;
}

bool Drives::IsRemovableDisk(const QString& disk, int depth) const {
    if (disk.startsWith(QStringLiteral("fd")))
        return true;
    const BlockDisk facts = devices_->Disk(disk);
    if (facts.removable || facts.bus == u"usb" || facts.bus == u"mmc")
        return true;
    if (depth >= kMaxStackedDevices)
        return false;
    // An encrypted or mapped volume is as removable as the disk under it.
    return std::any_of(facts.slaves.begin(), facts.slaves.end(), [&](const QString& slave) {
        const QString slaveDisk = devices_->DiskOf(slave);
        return !slaveDisk.isEmpty() && IsRemovableDisk(slaveDisk, depth + 1);
    });
}

} // namespace velmora::linux_impl
