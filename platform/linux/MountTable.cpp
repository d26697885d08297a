// SPDX-License-Identifier: MIT
#include "MountTable.h"

#include <QFile>
#include <QSet>

#include <libmount.h>

#include <memory>

namespace velmora::linux_impl {

namespace {

bool IsUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

QString FromC(const char* text) {
    return text ? QFile::decodeName(text) : QString();
}

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterDeleter {
    void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};

int SkipBrokenLine(libmnt_table*, const char*, int) {
    return 1;
}

} // namespace

QList<MountEntry> ReadMountInfo(const QString& path) {
    std::unique_ptr<libmnt_table, TableDeleter> table(mnt_new_table());
    std::unique_ptr<libmnt_iter, IterDeleter> iter(mnt_new_iter(MNT_ITER_FORWARD));
    if (!table || !iter)
        return {};
    mnt_table_set_parser_errcb(table.get(), SkipBrokenLine);
    if (mnt_table_parse_file(table.get(), QFile::encodeName(path).constData()) != 0)
        return {};
    QList<MountEntry> entries;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
        MountEntry entry{FromC(mnt_fs_get_target(fs)), FromC(mnt_fs_get_fstype(fs)),
                         FromC(mnt_fs_get_source(fs))};
        if (entry.mountPoint.startsWith(u'/'))
            entries.append(entry);
    }
    return entries;
}

bool IsPseudoFileSystem(const QString& fsType) {
    // libmount counts tmpfs, ramfs and overlay as pseudo; here they are volumes the user
    // browses (a RAM disk, a container's root), and so is a root shown as rootfs. The
    // desktop's document portal is not in libmount's list.
    static const QSet<QString> volumes = {QStringLiteral("tmpfs"), QStringLiteral("ramfs"),
                                          QStringLiteral("overlay"), QStringLiteral("rootfs")};
    if (fsType == u"fuse.portal")
        return true;
    return !volumes.contains(fsType) && mnt_fstype_is_pseudofs(fsType.toUtf8().constData()) == 1;
}

bool IsUserVolume(const MountEntry& entry) {
    if (IsPseudoFileSystem(entry.fsType))
        return false;
    const QString& point = entry.mountPoint;
    if (entry.fsType == u"overlay" && point != u"/")
        return false; // container layers
    if (entry.fsType == u"squashfs" && (IsUnder(point, QStringLiteral("/snap")) ||
                                        IsUnder(point, QStringLiteral("/var/lib/snapd"))))
        return false;
    if (IsUnder(point, QStringLiteral("/run/media")))
        return true;
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        if (IsUnder(point, QLatin1String(system)))
            return false;
    }
    return true;
}

bool IsNetworkFileSystem(const QString& fsType) {
    // Network file systems libmount does not name (as of util-linux 2.38).
    static const QSet<QString> more = {
        QStringLiteral("sshfs"),       QStringLiteral("ceph"),   QStringLiteral("fuse.glusterfs"),
        QStringLiteral("davfs"),       QStringLiteral("coda"),   QStringLiteral("fuse.davfs2"),
        QStringLiteral("fuse.rclone"), QStringLiteral("lustre"),
    };
    return more.contains(fsType) || mnt_fstype_is_netfs(fsType.toUtf8().constData()) == 1;
}

bool IsOpticalFileSystem(const QString& fsType) {
    return fsType == u"iso9660" || fsType == u"udf";
}

bool IsMemoryFileSystem(const QString& fsType) {
    return fsType == u"tmpfs" || fsType == u"ramfs";
}

bool IsLocalDiskFileSystem(const QString& fsType) {
    static const QSet<QString> local = {
        QStringLiteral("ext2"),   QStringLiteral("ext3"),     QStringLiteral("ext4"),
        QStringLiteral("xfs"),    QStringLiteral("btrfs"),    QStringLiteral("zfs"),
        QStringLiteral("f2fs"),   QStringLiteral("jfs"),      QStringLiteral("reiserfs"),
        QStringLiteral("vfat"),   QStringLiteral("exfat"),    QStringLiteral("ntfs"),
        QStringLiteral("ntfs3"),  QStringLiteral("fuseblk"),  QStringLiteral("hfsplus"),
        QStringLiteral("nilfs2"), QStringLiteral("bcachefs"), QStringLiteral("overlay"),
    };
    return local.contains(fsType);
}

} // namespace velmora::linux_impl
