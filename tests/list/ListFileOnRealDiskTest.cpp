// SPDX-License-Identifier: MIT
// The list file written through the real Linux services onto a full and a read-only disk.
#include "QtText.h"
#include "RecordingLinuxPlatform.h"
#include "mdlKabegami.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace velmora;

namespace {

using test::RecordingPlatform;

bool Run(const QString& program, const QStringList& arguments) {
    return QProcess::execute(program, arguments) == 0;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList Leftovers(const QString& folder) {
    return QDir(folder)
        .entryList(QDir::Files | QDir::Hidden | QDir::System)
        .filter(QStringLiteral("velmora-tmp"));
}

} // namespace

class ListFileOnRealDiskTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString mountPoint_;

    // A list of many entries, so the write does not fit on the small disk.
    static void FillList(mdlKabegami& module, int count) {
        module.KabegamiList.clear();
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("picture-%1-with-a-long-name.jpg").arg(i);
            module.KabegamiList.push_back(
                {"/home/user/Pictures/", ToUtf8(name), ToUtf8("/home/user/Pictures/" + name), "0"});
        }
    }

  private Q_SLOTS:
    void initTestCase() {
        if (geteuid() != 0)
            QSKIP("mounting a small disk needs root; run the suite as root to test a full disk");
        mountPoint_ = dir_.path() + "/disk";
        QVERIFY(QDir().mkpath(mountPoint_));
        QVERIFY2(Run("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint_}),
                 "mount -t tmpfs failed");
    }

    void cleanupTestCase() {
        if (!mountPoint_.isEmpty())
            Run("umount", {"-l", mountPoint_});
    }

    void fullDiskKeepsTheOldListFile() {
        RecordingPlatform platform;
        mdlKabegami module(platform);
        module.AppPath = ToUtf8(mountPoint_ + "/");
        module.LastDrive = "/ [root]";
        module.LastFolder = module.AppPath;
        module.FileCopySetting = "1";
        FillList(module, 3);
        QVERIFY(module.WriteKabegamiList());
        const QByteArray old = ReadBytes(FromUtf8(module.ListFilePath()));
        QCOMPARE(old.count("\r\n"), 4);

        // Fill what is left of the disk.
        QFile filler(mountPoint_ + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        FillList(module, 2000);
        QVERIFY(!module.WriteKabegamiList());
        QCOMPARE(platform.msgBoxes.size(), 1);
        QVERIFY2(platform.msgBoxes[0].text.startsWith("61:"),
                 qPrintable(platform.msgBoxes[0].text));
        QCOMPARE(ReadBytes(FromUtf8(module.ListFilePath())), old);
        QCOMPARE(Leftovers(mountPoint_), QStringList());
        QFile::remove(mountPoint_ + "/filler");
    }

    void readOnlyDiskKeepsTheOldListFile() {
        RecordingPlatform platform;
        mdlKabegami module(platform);
        module.AppPath = ToUtf8(mountPoint_ + "/");
        FillList(module, 1);
        QVERIFY(module.WriteKabegamiList());
        const QByteArray old = ReadBytes(FromUtf8(module.ListFilePath()));
        QVERIFY(Run("mount", {"-o", "remount,ro", mountPoint_}));
        FillList(module, 5);
        const bool written = module.WriteKabegamiList();
        QVERIFY(Run("mount", {"-o", "remount,rw", mountPoint_}));
        QVERIFY(!written);
        QCOMPARE(platform.msgBoxes.size(), 1);
        QVERIFY2(platform.msgBoxes[0].text.startsWith("75:"),
                 qPrintable(platform.msgBoxes[0].text));
        QCOMPARE(ReadBytes(FromUtf8(module.ListFilePath())), old);
    }
};

QTEST_GUILESS_MAIN(ListFileOnRealDiskTest)
#include "ListFileOnRealDiskTest.moc"
