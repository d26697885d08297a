#include "MountTable.h"

#include "Files.h"
#include "PlatformError.h"

#include <QFile>
#include <QSet>

namespace velmora::linux_impl {

namespace {

// mountinfo writes space, tab, newline and backslash as \ooo.
QString Unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.size() == 3 ? digits.toInt(&ok, 8) : 0;
            if (ok && value < 256) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

bool IsUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

QList<MountEntry> ParseMountInfo(const QByteArray& text) {
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source super
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        MountEntry entry;
        entry.mountPoint = Unescape(fields[4]);
        entry.fsType = Unescape(fields[dash + 1]);
        entry.source = Unescape(fields[dash + 2]);
        if (!entry.mountPoint.startsWith(u'/'))
            continue;
        entries.append(entry);
    }
    return entries;
}

QList<MountEntry> ReadMountInfo(const QString& path) {
    try {
        return ParseMountInfo(ReadWholeFile(path));
    } catch (const PlatformError&) {
        return {};
    }
}

bool IsPseudoFileSystem(const QString& fsType) {
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),     QStringLiteral("sysfs"),       QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),  QStringLiteral("devpts"),      QStringLiteral("devtmpfs"),
        QStringLiteral("mqueue"),   QStringLiteral("securityfs"),  QStringLiteral("pstore"),
        QStringLiteral("bpf"),      QStringLiteral("tracefs"),     QStringLiteral("debugfs"),
        QStringLiteral("configfs"), QStringLiteral("fusectl"),     QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),   QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"),
        QStringLiteral("nsfs"),     QStringLiteral("rpc_pipefs"),  QStringLiteral("selinuxfs"),
        QStringLiteral("nfsd"),     QStringLiteral("fuse.portal"), QStringLiteral("fuse.lxcfs"),
    };
    return pseudo.contains(fsType);
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
    static const QSet<QString> network = {
        QStringLiteral("nfs"),        QStringLiteral("nfs4"),
        QStringLiteral("cifs"),       QStringLiteral("smb3"),
        QStringLiteral("smbfs"),      QStringLiteral("sshfs"),
        QStringLiteral("fuse.sshfs"), QStringLiteral("9p"),
        QStringLiteral("afs"),        QStringLiteral("ceph"),
        QStringLiteral("glusterfs"),  QStringLiteral("fuse.glusterfs"),
        QStringLiteral("davfs"),      QStringLiteral("fuse.davfs2"),
        QStringLiteral("ncpfs"),      QStringLiteral("coda"),
        QStringLiteral("lustre"),     QStringLiteral("fuse.rclone"),
    };
    return network.contains(fsType);
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
