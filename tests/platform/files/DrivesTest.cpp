// SPDX-License-Identifier: MIT
#include "Drives.h"
#include "MountTableWatcher.h"
#include "SystemServices.h"
#include "TestSupport.h"
#include "UdevBlockDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velmora;
using namespace velmora::linux_impl;
using namespace velmora::test;

namespace {

// A desktop machine: system disk sda, a USB stick, a USB hard disk, an encrypted stick,
// a CD, a network share, a RAM disk, a card under /run/media, and the usual plumbing.
const char* const kMountInfo =
    "21 26 0:20 / /proc rw,relatime shared:12 - proc proc rw\n"
    "22 26 0:21 / /sys rw,relatime shared:2 - sysfs sysfs rw\n"
    "23 26 0:6 / /dev rw,relatime shared:3 - devtmpfs udev rw,size=8k\n"
    "24 23 0:22 / /dev/shm rw - tmpfs tmpfs rw\n"
    "25 23 0:23 / /dev/pts rw - devpts devpts rw,mode=600\n"
    "26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "27 26 0:24 / /run rw,nosuid - tmpfs tmpfs rw,size=1600k\n"
    "28 22 0:25 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "29 22 0:26 / /sys/kernel/security rw - securityfs securityfs rw\n"
    "30 21 0:27 / /proc/sys/fs/binfmt_misc rw - autofs systemd-1 rw,fd=29\n"
    "31 26 8:1 / /boot/efi rw,relatime shared:30 - vfat /dev/sda1 rw,fmask=0077\n"
    "32 26 7:0 / /snap/core22/1033 ro,nodev shared:31 - squashfs /dev/loop0 ro\n"
    "33 27 0:28 / /run/user/1000 rw shared:40 - tmpfs tmpfs rw,size=1600k,mode=700\n"
    "34 33 0:29 / /run/user/1000/doc rw - fuse.portal portal rw,user_id=1000\n"
    "35 26 0:30 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw,lowerdir=x\n"
    "36 26 11:0 / /media/u/CDROM ro,nosuid shared:50 - iso9660 /dev/sr0 ro,uid=1000\n"
    "37 26 8:17 / /media/u/STICK rw,nosuid shared:51 - vfat /dev/sdb1 rw,uid=1000\n"
    "38 26 0:31 / /mnt/share rw shared:52 - cifs //nas/pictures rw,vers=3.0\n"
    "39 26 0:32 / /mnt/ram rw shared:53 - ext4 /dev/sda3 rw\n"
    "40 26 0:33 / /mnt/ram rw shared:54 - tmpfs tmpfs rw,size=65536k\n" // hides the line above
    "41 26 8:33 / /media/u/BACKUP rw shared:55 - ext4 /dev/sdc1 rw\n"
    "42 26 253:0 / /media/u/SECRET rw shared:56 - ext4 /dev/mapper/secret rw\n"
    "43 27 179:1 / /run/media/u/CARD rw shared:57 - exfat /dev/mmcblk0p1 rw\n"
    "44 26 8:18 / /media/u/My\\040Disk rw shared:58 - ntfs3 /dev/sdb2 rw\n"
    "45 26 0:34 / /srv/pool rw shared:59 - zfs tank/pool rw\n"
    "garbage line without the separator\n";

// The block devices of that machine, as the kernel would describe them.
class MadeUpDevices : public BlockDevices {
  public:
    MadeUpDevices() {
        AddDisk(QStringLiteral("sda"), {},
                {QStringLiteral("sda1"), QStringLiteral("sda2"), QStringLiteral("sda3")});
        AddDisk(QStringLiteral("sdb"), {true, {}, {}},
                {QStringLiteral("sdb1"), QStringLiteral("sdb2")});
        AddDisk(QStringLiteral("sr0"), {true, {}, {}});
        // A USB hard disk says it is not removable; its place on the USB bus says otherwise.
        AddDisk(QStringLiteral("sdc"), {false, QStringLiteral("usb"), {}},
                {QStringLiteral("sdc1")});
        // An encrypted volume on a removable stick (sdd2).
        AddDisk(QStringLiteral("sdd"), {true, {}, {}}, {QStringLiteral("sdd2")});
        AddDisk(QStringLiteral("dm-0"), {false, {}, {QStringLiteral("sdd2")}});
        // An SD card in a built-in reader.
        AddDisk(QStringLiteral("mmcblk0"), {false, QStringLiteral("mmc"), {}},
                {QStringLiteral("mmcblk0p1")});
    }
    QString MappedDevice(const QString& mappedName) const override {
        return mappedName == u"secret" ? QStringLiteral("dm-0") : QString();
    }
    QString DiskOf(const QString& device) const override { return diskOf_.value(device); }
    BlockDisk Disk(const QString& disk) const override { return disks_.value(disk); }

  private:
    void AddDisk(const QString& name, const BlockDisk& facts, const QStringList& parts = {}) {
        disks_.insert(name, facts);
        diskOf_.insert(name, name);
        for (const QString& part : parts)
            diskOf_.insert(part, name);
    }
    QHash<QString, BlockDisk> disks_;
    QHash<QString, QString> diskOf_;
};

} // namespace

class DrivesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void listsUserVolumesWithStableNames();
    void driveOfFindsNearestMountPoint();
    void byNameRoundTripAndMissingVolume();
    void typeOfEachVolume_data();
    void typeOfEachVolume();
    void unreadableMountTableStillHasRoot();
    void containerWithLessKnownFileSystems();
    void thisMachine();
    void listingSortsAndFilters();
    void listingFailures();
    void watcherFollowsTheUsersVolumes();
    void watcherHearsTheKernel();

  private:
    Drives FakeMachine() const {
        return Drives(root_.filePath(QStringLiteral("mountinfo")),
                      std::make_shared<MadeUpDevices>(),
                      root_.filePath(QStringLiteral("dev/disk")));
    }
    QTemporaryDir root_;
};

void DrivesTest::initTestCase() {
    QVERIFY(root_.isValid());
    WriteBytes(root_.filePath(QStringLiteral("mountinfo")), kMountInfo);
    const QString labels = root_.filePath(QStringLiteral("dev/disk/by-label"));
    QVERIFY(QDir().mkpath(labels));
    QVERIFY(QFile::link(QStringLiteral("../../sdb1"), labels + QStringLiteral("/STICK")));
    QVERIFY(QFile::link(QStringLiteral("../../sdc1"), labels + QStringLiteral("/My\\x20Pics")));
    QVERIFY(QFile::link(QStringLiteral("../../sda1"), labels + QStringLiteral("/EFI")));
}

void DrivesTest::listsUserVolumesWithStableNames() {
    const QList<Volume> drives = FakeMachine().List();
    QStringList names, roots;
    for (const Volume& drive : drives) {
        names << drive.name;
        roots << drive.root;
    }
    QCOMPARE(names, (QStringList{
                        QStringLiteral("/ [sda2]"),
                        QStringLiteral("/boot/efi [EFI]"),
                        QStringLiteral("/media/u/BACKUP [My Pics]"),
                        QStringLiteral("/media/u/CDROM [sr0]"),
                        QStringLiteral("/media/u/My Disk [sdb2]"),
                        QStringLiteral("/media/u/SECRET [secret]"),
                        QStringLiteral("/media/u/STICK [STICK]"),
                        QStringLiteral("/mnt/ram [tmpfs]"),
                        QStringLiteral("/mnt/share [//nas/pictures]"),
                        QStringLiteral("/run/media/u/CARD [mmcblk0p1]"),
                        QStringLiteral("/srv/pool [tank/pool]"),
                    }));
    for (const QString& root : roots)
        QVERIFY2(root.endsWith(u'/') && !root.endsWith(QStringLiteral("//")), qPrintable(root));
    QCOMPARE(FakeMachine().List().size(), drives.size()); // same answer on every call
}

void DrivesTest::driveOfFindsNearestMountPoint() {
    const Drives drives = FakeMachine();
    QCOMPARE(drives.DriveOf(QStringLiteral("/media/u/STICK/pics/")).root,
             QStringLiteral("/media/u/STICK/"));
    QCOMPARE(drives.DriveOf(QStringLiteral("/media/u/STICK")).root,
             QStringLiteral("/media/u/STICK/"));
    QCOMPARE(drives.DriveOf(QStringLiteral("/home/u")).name, QStringLiteral("/ [sda2]"));
    QCOMPARE(drives.DriveOf(QStringLiteral("/")).root, QStringLiteral("/"));
    // Whole names only: STICKER is not inside STICK.
    QCOMPARE(drives.DriveOf(QStringLiteral("/media/u/STICKER/x")).root, QStringLiteral("/"));
    QCOMPARE(drives.DriveOf(QStringLiteral("/media/u/STICK/../CDROM/a")).root,
             QStringLiteral("/media/u/CDROM/"));
    QCOMPARE(drives.DriveOf(QStringLiteral("/boot/efi/EFI/debian")).name,
             QStringLiteral("/boot/efi [EFI]"));
    // A folder inside a hidden mount belongs to the nearest listed volume.
    QCOMPARE(drives.DriveOf(QStringLiteral("/run/user/1000/doc")).root, QStringLiteral("/"));
}

void DrivesTest::byNameRoundTripAndMissingVolume() {
    const Drives drives = FakeMachine();
    for (const Volume& drive : drives.List()) {
        const Volume back = drives.ByName(drive.name);
        QCOMPARE(back.name, drive.name);
        QCOMPARE(back.root, drive.root);
    }
    QCOMPARE(ErrorNumberOf([&] { drives.ByName(QStringLiteral("/media/u/GONE [GONE]")); }), 71);
    QCOMPARE(ErrorNumberOf([&] { drives.ByName(QStringLiteral("/media/u/STICK")); }), 71);
    QCOMPARE(ErrorNumberOf([&] { drives.ByName(QStringLiteral("/proc [proc]")); }), 71);
}

void DrivesTest::typeOfEachVolume_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<int>("type");
    QTest::newRow("system disk") << QStringLiteral("/") << DriveType::Fixed;
    QTest::newRow("EFI partition") << QStringLiteral("/boot/efi/") << DriveType::Fixed;
    QTest::newRow("CD-ROM") << QStringLiteral("/media/u/CDROM/") << DriveType::CdRom;
    QTest::newRow("USB stick") << QStringLiteral("/media/u/STICK/") << DriveType::Removable;
    QTest::newRow("USB stick, no slash")
        << QStringLiteral("/media/u/STICK") << DriveType::Removable;
    QTest::newRow("second partition of the stick")
        << QStringLiteral("/media/u/My Disk/") << DriveType::Removable;
    QTest::newRow("network share") << QStringLiteral("/mnt/share/") << DriveType::Remote;
    QTest::newRow("RAM disk over a disk") << QStringLiteral("/mnt/ram/") << DriveType::RamDisk;
    QTest::newRow("USB hard disk") << QStringLiteral("/media/u/BACKUP/") << DriveType::Removable;
    QTest::newRow("encrypted stick") << QStringLiteral("/media/u/SECRET/") << DriveType::Removable;
    QTest::newRow("SD card") << QStringLiteral("/run/media/u/CARD/") << DriveType::Removable;
    QTest::newRow("zfs pool") << QStringLiteral("/srv/pool/") << DriveType::Fixed;
    QTest::newRow("not a mount point") << QStringLiteral("/home/u/") << DriveType::NoRootDir;
    QTest::newRow("inside a volume")
        << QStringLiteral("/media/u/STICK/pics/") << DriveType::NoRootDir;
    QTest::newRow("pseudo file system") << QStringLiteral("/proc/") << DriveType::Unknown;
}

void DrivesTest::typeOfEachVolume() {
    QFETCH(QString, root);
    QFETCH(int, type);
    QCOMPARE(FakeMachine().TypeOf(root), type);
}

void DrivesTest::unreadableMountTableStillHasRoot() {
    const Drives drives(root_.filePath(QStringLiteral("no-mountinfo")),
                        std::make_shared<MadeUpDevices>());
    const QList<Volume> list = drives.List();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.front().root, QStringLiteral("/"));
    QCOMPARE(drives.DriveOf(QDir::tempPath()).root, QStringLiteral("/"));
}

void DrivesTest::containerWithLessKnownFileSystems() {
    // File systems the mount library files otherwise than this program: a container's
    // overlay root and a RAM disk are volumes, these shares are network volumes.
    WriteBytes(root_.filePath(QStringLiteral("container")),
               "60 50 0:40 / / rw - overlay overlay rw,lowerdir=/l\n"
               "61 60 0:41 / /scratch rw - ramfs ramfs rw\n"
               "62 60 0:42 / /mnt/ceph rw - ceph 10.0.0.1:/pics rw\n"
               "63 60 0:43 / /mnt/ssh rw - sshfs u@host:/pics rw\n"
               "64 60 0:44 / /mnt/dav rw - fuse.davfs2 https://dav/ rw\n"
               "65 60 0:45 / /run/user/0/doc rw - fuse.portal portal rw\n"
               "66 60 0:46 / /srv/nothing rw - none none rw\n");
    const Drives drives(root_.filePath(QStringLiteral("container")),
                        std::make_shared<MadeUpDevices>());
    QStringList roots;
    for (const Volume& drive : drives.List())
        roots << drive.root;
    QCOMPARE(roots, (QStringList{QStringLiteral("/"), QStringLiteral("/mnt/ceph/"),
                                 QStringLiteral("/mnt/dav/"), QStringLiteral("/mnt/ssh/"),
                                 QStringLiteral("/scratch/")}));
    QCOMPARE(drives.TypeOf(QStringLiteral("/")), DriveType::Fixed);
    QCOMPARE(drives.TypeOf(QStringLiteral("/scratch/")), DriveType::RamDisk);
    for (const char* share : {"/mnt/ceph/", "/mnt/ssh/", "/mnt/dav/"})
        QCOMPARE(drives.TypeOf(QLatin1String(share)), DriveType::Remote);
}

void DrivesTest::thisMachine() {
    const Drives drives;
    const QList<Volume> list = drives.List();
    QVERIFY(!list.isEmpty());
    const Volume temp = drives.DriveOf(QDir::tempPath());
    QCOMPARE(drives.ByName(temp.name).root, temp.root);
    QVERIFY(drives.TypeOf(temp.root) != DriveType::NoRootDir);
    for (const Volume& drive : list) {
        QVERIFY2(!drive.root.startsWith(QStringLiteral("/proc/")) &&
                     !drive.root.startsWith(QStringLiteral("/sys/")),
                 qPrintable(drive.name));
    }

    // udev agrees with the kernel's own tree: disks, their partitions, the removable flag.
    const UdevBlockDevices devices;
    const QDir block(QStringLiteral("/sys/block"));
    for (const QString& disk : block.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QCOMPARE(devices.DiskOf(disk), disk);
        const bool removable =
            ReadBytes(block.filePath(disk + QStringLiteral("/removable"))).trimmed() == "1";
        QCOMPARE(devices.Disk(disk).removable, removable);
        const QDir folder(block.filePath(disk));
        for (const QString& part : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(folder.filePath(part + QStringLiteral("/partition"))))
                QCOMPARE(devices.DiskOf(part), disk);
        }
    }
    QCOMPARE(devices.DiskOf(QStringLiteral("no-such-disk")), QString());
    QCOMPARE(devices.DiskOf(QStringLiteral("../block/x")), QString());
    QCOMPARE(devices.MappedDevice(QStringLiteral("no-such-volume")), QString());
}

void DrivesTest::listingSortsAndFilters() {
    QTemporaryDir tree;
    const QString folder = tree.path() + u'/';
    for (const char* name : {"b.bmp", "A.BMP", "c.JPG", "d.jpeg", "e.png", "f.txt", ".hidden.bmp",
                             "ABC.bmp", "abc.bmp", "noextension", "x.bmp.txt", "日本.Jpg"})
        WriteBytes(folder + QString::fromUtf8(name), "x");
    QVERIFY(QFile::link(folder + QStringLiteral("A.BMP"), folder + QStringLiteral("link.bmp")));
    QVERIFY(QFile::link(folder + QStringLiteral("missing.bmp"),
                        folder + QStringLiteral("dangling.bmp")));
    for (const char* name : {"Zeta", "alpha", "Beta", ".git", "g.bmp"})
        QVERIFY(QDir().mkpath(folder + QLatin1String(name)));
    QVERIFY(QFile::link(folder + QStringLiteral("alpha"), folder + QStringLiteral("linkdir")));

    const QStringList pictures{QStringLiteral("A.BMP"),    QStringLiteral("ABC.bmp"),
                               QStringLiteral("abc.bmp"),  QStringLiteral("b.bmp"),
                               QStringLiteral("c.JPG"),    QStringLiteral("d.jpeg"),
                               QStringLiteral("link.bmp"), QString::fromUtf8("日本.Jpg")};
    QCOMPARE(ListFiles(folder, {QStringLiteral("*.BMP;*.JPG;*.JPEG")}), pictures);
    QCOMPARE(ListFiles(folder, {QStringLiteral("*.BMP"), QStringLiteral("*.JPG"),
                                QStringLiteral("*.JPEG")}),
             pictures);
    QCOMPARE(ListFiles(folder, {QStringLiteral("*.txt")}),
             (QStringList{QStringLiteral("f.txt"), QStringLiteral("x.bmp.txt")}));
    QCOMPARE(ListFiles(folder, {}).size(), 12); // every visible regular file
    QCOMPARE(ListSubfolders(folder),
             (QStringList{QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("g.bmp"),
                          QStringLiteral("linkdir"), QStringLiteral("Zeta")}));
    QCOMPARE(ListSubfolders(folder + QStringLiteral("alpha")), QStringList());
}

void DrivesTest::listingFailures() {
    QTemporaryDir tree;
    const QString bmp = QStringLiteral("*.BMP");
    QCOMPARE(ErrorNumberOf([&] { ListFiles(tree.filePath(QStringLiteral("gone/")), {bmp}); }), 76);
    QCOMPARE(ErrorNumberOf([&] { ListSubfolders(tree.filePath(QStringLiteral("gone/deeper/"))); }),
             76);
    WriteBytes(tree.filePath(QStringLiteral("file")), "x");
    QCOMPARE(ErrorNumberOf([&] { ListSubfolders(tree.filePath(QStringLiteral("file"))); }), 76);
    // A folder that may not be read (as "nobody" when the test runs as root).
    QVERIFY(::chmod(QFile::encodeName(tree.path()).constData(), 0755) == 0);
    const QByteArray closed = QFile::encodeName(tree.filePath(QStringLiteral("closed")));
    QVERIFY(QDir().mkdir(QFile::decodeName(closed)));
    QVERIFY(::chmod(closed.constData(), 0) == 0);
    const QString folder = QFile::decodeName(closed);
    const int files = ErrorNumberWithoutPrivileges([&] { ListFiles(folder, {bmp}); });
    const int folders = ErrorNumberWithoutPrivileges([&] { ListSubfolders(folder); });
    QVERIFY(::chmod(closed.constData(), 0755) == 0);
    QCOMPARE(files, 70);
    QCOMPARE(folders, 70);
}

// Only the volumes the drive selector lists count: system plumbing mounted meanwhile does not.
void DrivesTest::watcherFollowsTheUsersVolumes() {
    const QString table = root_.filePath(QStringLiteral("watched/mountinfo"));
    QVERIFY(QDir().mkpath(root_.filePath(QStringLiteral("watched"))));
    WriteBytes(table, kMountInfo);
    const Drives drives(table, std::make_shared<MadeUpDevices>(),
                        root_.filePath(QStringLiteral("dev/disk")));
    MountTableWatcher watcher(table, [&] { return drives.List(); });
    QSignalSpy changed(&watcher, &MountWatcher::Changed);
    const QByteArray plumbing =
        "46 33 0:40 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n";
    const QByteArray stick = "47 26 8:49 / /media/u/NEW rw,nosuid - vfat /dev/sdd1 rw\n";

    WriteBytes(table, QByteArray(kMountInfo) + plumbing);
    watcher.Check();
    QCOMPARE(changed.count(), 0);
    WriteBytes(table, QByteArray(kMountInfo) + plumbing + stick);
    watcher.Check();
    QCOMPARE(changed.count(), 1);
    watcher.Check();
    QCOMPARE(changed.count(), 1);
    WriteBytes(table, QByteArray(kMountInfo));
    watcher.Check();
    QCOMPARE(changed.count(), 2);
}

// A real mount, made in a mount namespace of its own so that the machine is left alone; the
// watcher follows that namespace's table as it follows the program's own.
void DrivesTest::watcherHearsTheKernel() {
    QProcess shell;
    shell.start(QStringLiteral("unshare"),
                {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                 QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("echo ready; read go; mount -t tmpfs velmora-test /mnt && "
                                "echo mounted; read end")});
    if (!shell.waitForStarted() || !shell.waitForReadyRead(30000) ||
        !shell.readAll().startsWith("ready"))
        QSKIP("no mount namespace can be made here");
    const QString table = QStringLiteral("/proc/%1/mountinfo").arg(shell.processId());
    const Drives drives(table);
    MountTableWatcher watcher(table, [&] { return drives.List(); });
    QSignalSpy changed(&watcher, &MountWatcher::Changed);
    shell.write("go\n");
    QVERIFY(shell.waitForReadyRead(30000));
    QCOMPARE(shell.readAll(), QByteArray("mounted\n"));
    QVERIFY(changed.wait(30000));
    QCOMPARE(drives.DriveOf(QStringLiteral("/mnt/x")).root, QStringLiteral("/mnt/"));
    shell.write("end\n");
    shell.closeWriteChannel();
    QVERIFY(shell.waitForFinished());
}

QTEST_GUILESS_MAIN(DrivesTest)
#include "DrivesTest.moc"
