// SPDX-License-Identifier: MIT
// A long list rewritten entry after entry, as registering does, through the real Linux
// services: the heap its buffers leave, kept for the next rewrite, goes back to the system
// once the work rests.
#include "QtText.h"
#include "RecordingLinuxPlatform.h"
#include "mdlKabegami.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

using namespace velmora;

namespace {

using test::RecordingPlatform;

long ResidentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

// A sanitizer's allocator keeps its own heap, which glibc's figures do not show.
bool GlibcAllocates() {
    constexpr std::size_t kBlock = std::size_t(4) << 20;
    const struct mallinfo2 before = ::mallinfo2();
    // Written through, so that the compiler keeps the allocation.
    auto* volatile block = static_cast<char*>(std::malloc(kBlock));
    block[0] = 1;
    const struct mallinfo2 during = ::mallinfo2();
    std::free(block);
    return during.arena + during.hblkhd >= before.arena + before.hblkhd + kBlock;
}

} // namespace

class ListMemoryTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void heapGoesBackOnceListWorkRests() {
        if (!GlibcAllocates())
            QSKIP("the heap is not glibc's (a sanitizer build)");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        KabegamiEntries entries;
        for (int i = 0; i < 60000; ++i) {
            const std::string name = "picture-" + std::to_string(i) + "-with-a-long-name.jpg";
            entries.push_back({"/home/user/Pictures/", name, "/home/user/Pictures/" + name, "0"});
        }
        RecordingPlatform platform;
        mdlKabegami module(platform);
        module.AppPath = ToUtf8(dir.path() + "/");
        module.LastDrive = "x";
        module.KabegamiList = std::move(entries);
        for (int i = 0; i < 4; ++i) {
            const std::string name = "new-" + std::to_string(i) + ".bmp";
            module.KabegamiList.push_back({"/p/", name, "/p/" + name, "0"});
            QVERIFY(module.WriteKabegamiList());
            module.LoadKabegamiList();
        }
        QCOMPARE(platform.msgBoxes.size(), 0);
        const long listBytes = QFile(QString::fromStdString(module.ListFilePath())).size();
        QVERIFY(listBytes > 5000000);
        // The rewrite's buffers, kept for the next picture, go back once the work rests.
        const long working = ResidentBytes();
        QTRY_VERIFY2_WITH_TIMEOUT(
            ResidentBytes() < working - listBytes / 2,
            qPrintable(QStringLiteral("resident %1 MB at rest, %2 MB while working, list %3 MB")
                           .arg(ResidentBytes() / 1e6)
                           .arg(working / 1e6)
                           .arg(listBytes / 1e6)),
            60000);
    }
};

QTEST_GUILESS_MAIN(ListMemoryTest)
#include "ListMemoryTest.moc"
