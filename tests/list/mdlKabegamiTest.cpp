// Loading and writing the list file through the shared state object.
#include "mdlKabegami.h"
#include "FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        QCOMPARE(module_->GetAppPath(), dir_.path() + "/");
        platform_->appFolder = "/";
        QCOMPARE(module_->GetAppPath(), QStringLiteral("/"));
    }

    void missingFileIsSilentAndKeepsDefaults() {
        module_->KabegamiList.append({"/x/", "y", "/x/y", "0"});
        module_->LoadKabegamiList();
        QVERIFY(module_->KabegamiList.isEmpty());
        QVERIFY(platform_->msgBoxes.isEmpty());
        QCOMPARE(module_->LastDrive, QStringLiteral("/ [root]"));
        QCOMPARE(module_->FileCopySetting, QStringLiteral("1"));
    }

    void zeroByteFileReportsInputPastEnd() {
        WriteBytes(ListFile(), "");
        module_->LoadKabegamiList();
        QVERIFY(module_->KabegamiList.isEmpty());
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
        QCOMPARE(module_->LastDrive, QStringLiteral("/m [USB]"));
        QCOMPARE(module_->FileCopySetting, QStringLiteral("0"));

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
        QCOMPARE(module_->LastDrive, QStringLiteral("/media/u/CD [CDROM 1]"));
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
        module_->KabegamiList.append({"/p/", "b.bmp", "/p/b.bmp", "0"});
        QVERIFY(!module_->WriteKabegamiList());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("61:"));
        QCOMPARE(ReadBytes(ListFile()), old);
    }

    void unstorableNameIsRefusedBeforeAnythingIsTouched() {
        const QByteArray old = "d,f,1\r\n";
        WriteBytes(ListFile(), old);
        module_->KabegamiList.append({"/p/", "\"odd,name\".bmp", "/p/x", "0"});
        QVERIFY(!module_->WriteKabegamiList());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("52:"));
        QCOMPARE(ReadBytes(ListFile()), old);
    }
};

QTEST_GUILESS_MAIN(mdlKabegamiTest)
#include "mdlKabegamiTest.moc"
