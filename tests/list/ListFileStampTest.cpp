// SPDX-License-Identifier: MIT
// The list file's change detection by stamp, through the real Linux services: edits that
// keep the file's size, and even its write time, must still stop a rewrite.
#include "QtText.h"
#include "RecordingLinuxPlatform.h"
#include "mdlKabegami.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;

namespace {

using test::RecordingPlatform;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Changes one byte in place: same file, same size.
bool EditInPlace(const QString& path, bool keepWriteTime) {
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    const int fd = ::open(name.constData(), O_RDWR);
    if (fd < 0 || ::fstat(fd, &before) != 0)
        return false;
    char byte = 0;
    const bool done = ::pread(fd, &byte, 1, 0) == 1 && (byte = byte == 'a' ? 'b' : 'a') &&
                      ::pwrite(fd, &byte, 1, 0) == 1;
    const timespec times[2] = {before.st_atim, before.st_mtim};
    const bool kept = !keepWriteTime || ::futimens(fd, times) == 0;
    return ::close(fd) == 0 && done && kept;
}

} // namespace

class ListFileStampTest : public QObject {
    Q_OBJECT

    void Check(bool keepWriteTime) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        RecordingPlatform platform;
        mdlKabegami module(platform);
        module.AppPath = ToUtf8(dir.path() + "/");
        module.LastDrive = "x";
        module.KabegamiList.push_back({"/p/", "a.bmp", "/p/a.bmp", "0"});
        // The stamp is trusted once the file's times lie before the clock's current tick.
        const auto trusted = [&] { return platform.StampOf(module.ListFilePath()).has_value(); };
        QVERIFY(module.WriteKabegamiList());
        QTRY_VERIFY_WITH_TIMEOUT(trusted(), 60000);
        module.LoadKabegamiList();
        // Unchanged: written without a false alarm.
        module.KabegamiList.push_back({"/p/", "b.bmp", "/p/b.bmp", "0"});
        QVERIFY(module.WriteKabegamiList());
        QTRY_VERIFY_WITH_TIMEOUT(trusted(), 60000);
        module.LoadKabegamiList();
        const QString path = FromUtf8(module.ListFilePath());
        QVERIFY(EditInPlace(path, keepWriteTime));
        // An edit long past: its stamp is trusted, and must differ.
        QTRY_VERIFY_WITH_TIMEOUT(trusted(), 60000);
        const QByteArray edited = ReadBytes(path);
        module.KabegamiList.push_back({"/p/", "c.bmp", "/p/c.bmp", "0"});
        QVERIFY(!module.WriteKabegamiList());
        QCOMPARE(platform.msgBoxes.size(), 1);
        QCOMPARE(ReadBytes(path), edited);
    }

  private Q_SLOTS:
    void sameSizeEditAfterLoadStopsTheWrite() { Check(false); }
    void editThatPutsBackTheWriteTimeStopsTheWrite() { Check(true); }
};

QTEST_GUILESS_MAIN(ListFileStampTest)
#include "ListFileStampTest.moc"
