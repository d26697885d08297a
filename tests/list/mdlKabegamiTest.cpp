// SPDX-License-Identifier: MIT
// Loading and writing the list file through the shared state object.
#include "mdlKabegami.h"
#include "FakePlatform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using velmora::test::FakePlatform;

namespace {
QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Runs body in a child process whose writable private memory may grow by at most extra
// bytes; its result, or -1 when the child died. The data limit, unlike one on the address
// space, also counts what malloc takes from the room it reserved earlier for other threads.
int RunWithMemoryLimit(qint64 extra, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        long dataKiB = -1;
        FILE* status = std::fopen("/proc/self/status", "r");
        char line[256];
        while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
            if (std::sscanf(line, "VmData: %ld kB", &dataKiB) == 1)
                break;
        }
        if (status == nullptr || dataKiB < 0)
            _exit(102);
        std::fclose(status);
        const rlim_t limit = rlim_t(dataKiB) * 1024 + rlim_t(extra);
        const rlimit lowered{limit, limit};
        if (setrlimit(RLIMIT_DATA, &lowered) != 0)
            _exit(103);
        try {
            _exit(body());
        } catch (...) {
            _exit(104); // never back into the test runner, whose threads are not here
        }
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

class mdlKabegamiTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<FakePlatform> platform_;
    std::unique_ptr<mdlKabegami> module_;

    QString ListFile() const { return dir_.path() + QStringLiteral("/Kabegamilist.def"); }

  private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(ListFile());
        QFile::remove(ListFile() + ".bak");
        platform_ = std::make_unique<FakePlatform>(dir_.path());
        module_ = std::make_unique<mdlKabegami>(*platform_);
        module_->AppPath = module_->GetAppPath();
        module_->LastDrive = "/ [root]";
        module_->LastFolder = module_->AppPath;
        module_->FileCopySetting = "1";
    }

    void appPathEndsInExactlyOneSeparator() {
        QCOMPARE(FromUtf8(module_->GetAppPath()), dir_.path() + "/");
        platform_->appFolder = "/";
        QCOMPARE(FromUtf8(module_->GetAppPath()), QStringLiteral("/"));
    }

    void missingFileIsSilentAndKeepsDefaults() {
        module_->KabegamiList.push_back({"/x/", "y", "/x/y", "0"});
        module_->LoadKabegamiList();
        QVERIFY(module_->KabegamiList.empty());
        QVERIFY(platform_->msgBoxes.isEmpty());
        QCOMPARE(FromUtf8(module_->LastDrive), QStringLiteral("/ [root]"));
        QCOMPARE(FromUtf8(module_->FileCopySetting), QStringLiteral("1"));
    }

    void zeroByteFileReportsInputPastEnd() {
        WriteBytes(ListFile(), "");
        module_->LoadKabegamiList();
        QVERIFY(module_->KabegamiList.empty());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("62:"));
        QVERIFY(platform_->msgBoxes[0].text.size() > 3);
        QCOMPARE(platform_->msgBoxes[0].title, QStringLiteral("エラー"));
        QCOMPARE(platform_->msgBoxes[0].style, 16);
    }

    void incompleteLastEntryKeepsEarlierOnesAndLaterWriteWorks() {
        const QByteArray damaged = "/m [USB],/m/,0\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp\r\n";
        WriteBytes(ListFile(), damaged);
        module_->LoadKabegamiList();
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("62:"));
        QCOMPARE(module_->KabegamiList.size(), 1);
        QCOMPARE(FromUtf8(module_->LastDrive), QStringLiteral("/m [USB]"));
        QCOMPARE(FromUtf8(module_->FileCopySetting), QStringLiteral("0"));

        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile()), QByteArray("/m [USB],/m/,0\r\n/p/,a.bmp,/p/a.bmp,0\r\n"));
        // What could not be read is kept beside the list, not lost.
        QCOMPARE(ReadBytes(ListFile() + ".bak"), damaged);

        // A later write after a clean load does not touch the backup again.
        module_->LoadKabegamiList();
        module_->KabegamiList.clear();
        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile() + ".bak"), damaged);
    }

    void loadsReplaceRatherThanAppend() {
        WriteBytes(ListFile(), "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp,/p/b.bmp,0\r\n");
        module_->LoadKabegamiList();
        const KabegamiEntries first = module_->KabegamiList;
        module_->LoadKabegamiList();
        QCOMPARE(module_->KabegamiList, first);
        QCOMPARE(first.size(), 2);
    }

    void writeThenLoadGivesTheSameList() {
        module_->LastDrive = "/media/u/CD [CDROM 1]";
        module_->KabegamiList = {{"/a/", "1.bmp", "/a/1.bmp", "0"},
                                 {"/b, c/", "2.jpg", "/app/Pic/2.jpg", "1"},
                                 {"/d/", "3.jpeg", "/d/3.jpeg", "0"}};
        const KabegamiEntries written = module_->KabegamiList;
        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile()).count("\r\n"), 4);
        module_->LoadKabegamiList();
        QCOMPARE(module_->KabegamiList, written);
        QCOMPARE(FromUtf8(module_->LastDrive), QStringLiteral("/media/u/CD [CDROM 1]"));
        QVERIFY(platform_->msgBoxes.isEmpty());
    }

    void failedWriteIsReportedAndKeepsTheOldFile() {
        const QByteArray old = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n";
        WriteBytes(ListFile(), old);
        module_->LoadKabegamiList();
        platform_->beforeOperation = [](const QString& op, const QString&) {
            if (op == "WriteFileAtomically")
                throw PlatformError(Err::DiskFull);
        };
        module_->KabegamiList.push_back({"/p/", "b.bmp", "/p/b.bmp", "0"});
        QVERIFY(!module_->WriteKabegamiList());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("61:"));
        QCOMPARE(ReadBytes(ListFile()), old);
    }

    void unstorableNameIsRefusedBeforeAnythingIsTouched() {
        const QByteArray old = "d,f,1\r\n";
        WriteBytes(ListFile(), old);
        module_->KabegamiList.push_back({"/p/", "\"odd,name\".bmp", "/p/x", "0"});
        QVERIFY(!module_->WriteKabegamiList());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("52:"));
        QCOMPARE(ReadBytes(ListFile()), old);
    }

    // A list from the Windows form loads as text; its bytes are kept once before the first
    // rewrite, which is UTF-8.
    void otherEncodingIsKeptBeforeItsFirstRewrite() {
        const QByteArray cp932 =
            "C:\\,C:\\\x95\xC7\x8E\x86\\,1\r\n"
            "C:\\\x95\xC7\x8E\x86\\,\x8A\x43.bmp,C:\\\x95\xC7\x8E\x86\\\x8A\x43.bmp,0\r\n";
        WriteBytes(ListFile(), cp932);
        module_->LoadKabegamiList();
        QVERIFY(platform_->msgBoxes.isEmpty());
        QCOMPARE(module_->KabegamiList.size(), 1);
        QCOMPARE(FromUtf8(module_->KabegamiList[0].KabegamiPath),
                 QStringLiteral("C:\\壁紙\\海.bmp"));

        module_->KabegamiList.push_back({"/p/", "b.bmp", "/p/b.bmp", "0"});
        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile() + ".bak"), cp932);
        QCOMPARE(ReadBytes(ListFile()),
                 QStringLiteral("C:\\,C:\\壁紙\\,1\r\nC:\\壁紙\\,海.bmp,C:\\壁紙\\海.bmp,0\r\n"
                                "/p/,b.bmp,/p/b.bmp,0\r\n")
                     .toUtf8());
        module_->LoadKabegamiList();
        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile() + ".bak"), cp932);
    }

    // Bytes that are no text in any encoding: reported, and the file is kept before a
    // later write.
    void undecodableFileIsReportedAndKept() {
        const QByteArray bad = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,\x81\x20.bmp,/p/x,0\r\n";
        WriteBytes(ListFile(), bad);
        module_->LoadKabegamiList();
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("75:"));
        QVERIFY(platform_->msgBoxes[0].text.contains(QStringLiteral("読めない")));
        QCOMPARE(module_->KabegamiList.size(), 1);
        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile() + ".bak"), bad);
    }

    // A read that fails part-way keeps the entries that came whole before it.
    void failingReadKeepsTheWholeEntriesBeforeIt() {
        const QByteArray list = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp,/p/b.bmp,0\r\n";
        WriteBytes(ListFile(), list);
        platform_->beforeOperation = [&](const QString& op, const QString&) {
            if (op == "ReadFile") {
                platform_->beforeOperation = nullptr;
                throw ReadError(PlatformError(Err::DeviceIO),
                                list.left(list.size() - 8).toStdString());
            }
        };
        module_->LoadKabegamiList();
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("57:"));
        QCOMPARE(module_->KabegamiList, (KabegamiEntries{{"/p/", "a.bmp", "/p/a.bmp", "0"}}));
        QVERIFY(module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile() + ".bak"), list);
    }

    // A list file changed behind the program's back (a restored backup, a sync tool, an
    // edit within the same second) is never overwritten by a write made from the old one.
    void changedFileIsNotOverwritten() {
        WriteBytes(ListFile(), "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n");
        module_->LoadKabegamiList();
        const QByteArray restored = "d,f,1\r\n/p/,c.bmp,/p/c.bmp,0\r\n"; // same size
        WriteBytes(ListFile(), restored);
        module_->KabegamiList.push_back({"/p/", "b.bmp", "/p/b.bmp", "0"});
        QVERIFY(!module_->WriteKabegamiList());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.contains(QStringLiteral("変更")));
        QCOMPARE(ReadBytes(ListFile()), restored);

        // Once reloaded, the change is the list the next write starts from.
        module_->LoadKabegamiList();
        module_->KabegamiList.push_back({"/p/", "b.bmp", "/p/b.bmp", "0"});
        QVERIFY(module_->WriteKabegamiList());
        QVERIFY(ReadBytes(ListFile()).startsWith(restored));
        // Its own write is no change.
        module_->KabegamiList.clear();
        QVERIFY(module_->WriteKabegamiList());
    }

    void fileMissingAtLoadMustStillBeMissing() {
        module_->LoadKabegamiList();
        module_->KabegamiList.push_back({"/p/", "a.bmp", "/p/a.bmp", "0"});
        QVERIFY(module_->WriteKabegamiList());
        QFile::remove(ListFile());
        module_->LoadKabegamiList();
        WriteBytes(ListFile(), "d,f,1\r\n");
        QVERIFY(!module_->WriteKabegamiList());
        QCOMPARE(ReadBytes(ListFile()), QByteArray("d,f,1\r\n"));
    }

    // A browsed folder or drive the file cannot hold must not block writing the list: the
    // nearest folder it can hold is remembered instead, and no drive.
    void unstorableRememberedFolderGivesWayToItsParent() {
        module_->LastFolder = "/home/u/a,\"b\"/c/";
        module_->LastDrive = "/media/x [\"a,b\"]";
        module_->KabegamiList = {{"/p/", "a.bmp", "/p/a.bmp", "0"}};
        QVERIFY(module_->WriteKabegamiList());
        QVERIFY(platform_->msgBoxes.isEmpty());
        module_->LoadKabegamiList();
        QCOMPARE(FromUtf8(module_->LastFolder), QStringLiteral("/home/u/"));
        QCOMPARE(FromUtf8(module_->LastDrive), QString());
        QCOMPARE(module_->KabegamiList.size(), 1);
    }

    // A list file too large for the memory left is reported as 7, not a crash, and kept.
    // The list keeps the file's bytes as its text, with 32 bytes per entry beside (about 1.35
    // times the file for this one): it loads under a limit of twice the file.
    void largeFileUnderMemoryLimit() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer reserves more address space than any limit lets through");
#endif
        constexpr qint64 kSize = 48 << 20;
        QByteArray big;
        big.reserve(kSize);
        big += "d,f,1\r\n";
        for (int i = 0; big.size() < kSize - 200; ++i)
            big += QStringLiteral("/home/u/写真/album-%1/,IMG_%2 海.jpg,"
                                  "/home/u/写真/album-%1/IMG_%2 海.jpg,0\r\n")
                       .arg(i % 97)
                       .arg(i)
                       .toUtf8();
        WriteBytes(ListFile(), big);
        const qsizetype entries = big.count('\n') - 1;
        const QByteArray digest = QCryptographicHash::hash(big, QCryptographicHash::Sha256);
        big = QByteArray();

        // The number reported (0: none; 100: the list is not whole).
        const auto shown = [&] {
            if (platform_->msgBoxes.isEmpty())
                return qsizetype(module_->KabegamiList.size()) == entries ? 0 : 100;
            return platform_->msgBoxes[0].text.section(u':', 0, 0).toInt();
        };
        QCOMPARE(RunWithMemoryLimit(kSize * 2,
                                    [&] {
                                        module_->LoadKabegamiList();
                                        return shown();
                                    }),
                 0);
        // 101: the write after the failed load failed too.
        QCOMPARE(RunWithMemoryLimit(kSize,
                                    [&] {
                                        module_->LoadKabegamiList();
                                        const int number = shown();
                                        module_->KabegamiList = {{"/p/", "a.bmp", "/p/a.bmp", "0"}};
                                        return module_->WriteKabegamiList() ? number : 101;
                                    }),
                 Err::OutOfMemory);
        QCOMPARE(
            QCryptographicHash::hash(ReadBytes(ListFile() + ".bak"), QCryptographicHash::Sha256),
            digest);
        QCOMPARE(ReadBytes(ListFile()), QByteArray("d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n"));
    }
};

QTEST_GUILESS_MAIN(mdlKabegamiTest)
#include "mdlKabegamiTest.moc"
