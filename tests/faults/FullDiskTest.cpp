// SPDX-License-Identifier: MIT
// A full disk and a read-only application folder, met by the running program: stepping to a
// picture (the bitmap), registering (the list file), registering with a copy (Pic/) and
// removing. Each attempt shows its error message and leaves every old file byte-identical;
// once space is freed or the folder is writable again, the same running program steps and
// registers as before.
//
// The full disk and the read-only mount are small tmpfs mounts (root only). Missing write
// permission needs a user the kernel checks: as root the test runs itself as "nobody".
#include "DirListBox.h"
#include "FileListBox.h"
#include "HeadlessPlatform.h"
#include "PlatformError.h"
#include "QtEntries.h"
#include "VbCheckBox.h"
#include "VbListBox.h"
#include "frmChangeKabegami.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr uid_t kNobody = 65534;
const QString kBitmap = QStringLiteral("Mosswick壁紙.BMP");
const QString kList = QStringLiteral("Kabegamilist.def");
const QString kFiller = QStringLiteral("filler");

bool IsRoot() {
    return ::geteuid() == 0;
}

// A small tmpfs on a folder for the life of this object.
class Tmpfs {
  public:
    explicit Tmpfs(const QString& folder)
        : folder_(QFile::encodeName(folder)),
          mounted_(::mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=1m,mode=0755") == 0) {}
    ~Tmpfs() {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    bool SetReadOnly(bool readOnly) {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("tmpfs", folder_.constData(), "tmpfs", flags, "size=1m") == 0;
    }

  private:
    QByteArray folder_;
    bool mounted_;
};

// Writes into path until the disk refuses another byte; false when it never does.
bool FillDisk(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    static const QByteArray chunk(65536, 'x');
    bool full = false;
    for (qsizetype size : {qsizetype(65536), qsizetype(4096), qsizetype(1)}) {
        for (int i = 0; i < 1 << 20; ++i) {
            if (::write(fd, chunk.constData(), size) < 0) {
                full = errno == ENOSPC;
                break;
            }
        }
    }
    ::close(fd);
    return full;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every file below folder (hidden ones too) with its content.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() != kFiller)
            files.insert(QDir(folder).relativeFilePath(path), Bytes(path));
    }
    return files;
}

QImage Picture(QRgb colour) {
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The running program: the changer window and its registration window, opened on folder app.
struct Program {
    explicit Program(const QString& app) : platform(app), module(platform), form(module, platform) {
        platform.driveType = DriveType::Removable;
    }
    bool Start() {
        if (!form.Form_Load())
            return false;
        form.show();
        form.Form_Activate();
        window = std::make_unique<frmKabegamiTouroku>(module, platform, &form);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    void StepNext() {
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdGoNext")),
                          Qt::LeftButton);
    }
    bool Register(const QString& folder, const QString& name, bool copy) {
        window->Dir1()->SetPath(folder);
        FileListBox* files = window->File1();
        QListWidgetItem* item = nullptr;
        for (int i = 0; i < files->count(); ++i) {
            if (files->item(i)->text() == name)
                item = files->item(i);
        }
        if (item == nullptr)
            return false;
        if ((window->chkFileCopy()->Value() == 1) != copy)
            window->chkFileCopy()->click();
        files->clearSelection();
        item->setSelected(true);
        QTest::mouseClick(window->cmdTouroku(), Qt::LeftButton);
        return true;
    }
    bool Remove(const QString& name) {
        VbListBox* list = window->lstTourokuFileList();
        list->clearSelection();
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text() == name) {
                list->item(i)->setSelected(true);
                QTest::mouseClick(window->cmdDelete(), Qt::LeftButton);
                return true;
            }
        }
        return false;
    }
    QStringList Errors() const {
        QStringList texts;
        for (const MsgBoxCall& box : platform.msgBoxes) {
            if (box.style != kRemovalQuestionStyle)
                texts << box.text;
        }
        return texts;
    }

    HeadlessPlatform platform;
    mdlKabegami module;
    frmChangeKabegami form;
    std::unique_ptr<frmKabegamiTouroku> window;
};

} // namespace

class FullDiskTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> tmp_;
    QString app_;
    QString sources_;

    void MakeSources() {
        sources_ = tmp_->path() + QStringLiteral("/usb/");
        QDir().mkpath(sources_);
        const QList<QPair<const char*, QRgb>> pictures{{"a.bmp", 0xffff0000},
                                                       {"b.bmp", 0xff00ff00},
                                                       {"c.bmp", 0xff0000ff},
                                                       {"d.bmp", 0xffffff00},
                                                       {"e.bmp", 0xff00ffff}};
        for (const auto& [name, colour] : pictures)
            Picture(colour).save(sources_ + QLatin1String(name), "BMP");
    }

    // Registers a (copied into Pic/), b and c, and steps to a: a list, a bitmap and a copy.
    void MakeOldFiles(Program& program) {
        QVERIFY(program.Register(sources_, "a.bmp", true));
        QVERIFY(program.Register(sources_, "b.bmp", false));
        QVERIFY(program.Register(sources_, "c.bmp", false));
        program.StepNext();
        QCOMPARE(program.Errors(), QStringList());
        QCOMPARE(program.module.KabegamiList.size(), 3);
        QVERIFY(QFile::exists(app_ + "/Pic/a.bmp"));
        QCOMPARE(QImage(app_ + u'/' + kBitmap).pixel(0, 0), 0xffff0000);
    }

    // Every kind of write fails with expected and touches nothing; then, freed, all work.
    void FailThenRecover(Program& program, int expected, const std::function<bool()>& free) {
        const QMap<QString, QByteArray> before = Snapshot(app_);
        const qsizetype wallpapers = program.platform.wallpapers.size();
        const QString number = QString::number(expected) + u':';

        program.StepNext();                                  // to b: the bitmap cannot be written
        QVERIFY(program.Register(sources_, "d.bmp", false)); // the list cannot be written
        QVERIFY(program.Register(sources_, "e.bmp", true));  // nor the copy
        QVERIFY(program.Remove("b.bmp"));                    // nor the list without b
        const QStringList errors = program.Errors();
        QCOMPARE(errors.size(), 4);
        for (const QString& text : errors)
            QVERIFY2(text.startsWith(number), qPrintable(text));
        QCOMPARE(Snapshot(app_), before);
        QCOMPARE(program.platform.wallpapers.size(), wallpapers);
        QCOMPARE(program.module.KabegamiList.size(), 3);
        QCOMPARE(program.window->lstTourokuFileList()->count(), 3);

        QVERIFY(free());
        program.platform.msgBoxes.clear();
        program.StepNext(); // to c
        QVERIFY(program.Register(sources_, "e.bmp", true));
        QVERIFY(program.Remove("b.bmp"));
        QCOMPARE(program.Errors(), QStringList());
        QCOMPARE(QImage(app_ + u'/' + kBitmap).pixel(0, 0), 0xff0000ff);
        QCOMPARE(program.platform.wallpapers.size(), wallpapers + 1);
        QCOMPARE(Bytes(app_ + "/Pic/e.bmp"), Bytes(sources_ + "e.bmp"));
        QStringList names;
        for (const KabegamiEntryView entry : program.module.KabegamiList)
            names << FromUtf8(entry.FileName);
        QCOMPARE(names, (QStringList{"a.bmp", "c.bmp", "e.bmp"}));
    }

  private Q_SLOTS:
    void init() {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        app_ = tmp_->path() + QStringLiteral("/app");
        QVERIFY(QDir().mkpath(app_));
        MakeSources();
    }

    void fullDisk() {
        if (!IsRoot())
            QSKIP("mounting a small tmpfs needs root");
        Tmpfs disk(app_);
        QVERIFY2(disk.Mounted(), "the tmpfs could not be mounted");
        Program program(app_);
        QVERIFY(program.Start());
        MakeOldFiles(program);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(FillDisk(app_ + u'/' + kFiller));
        FailThenRecover(program, Err::DiskFull,
                        [this] { return QFile::remove(app_ + u'/' + kFiller); });
    }

    void readOnlyMount() {
        if (!IsRoot())
            QSKIP("mounting a small tmpfs needs root");
        Tmpfs disk(app_);
        QVERIFY2(disk.Mounted(), "the tmpfs could not be mounted");
        Program program(app_);
        QVERIFY(program.Start());
        MakeOldFiles(program);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(disk.SetReadOnly(true));
        FailThenRecover(program, Err::PathFileAccess, [&] { return disk.SetReadOnly(false); });
    }

    void picFolderThatCannotBeListed() {
        // Pic/ as a link cycle: the start goes on, says so once, and the program works.
        QVERIFY(QFile::link(app_ + "/Pic2", app_ + "/Pic"));
        QVERIFY(QFile::link(app_ + "/Pic", app_ + "/Pic2"));
        Program program(app_);
        QVERIFY(program.Start());
        QCOMPARE(program.Errors(),
                 QStringList{QStringLiteral("76:") + Described(Err::PathNotFound)});
        program.platform.msgBoxes.clear();
        QVERIFY(program.Register(sources_, "a.bmp", false));
        program.StepNext();
        QCOMPARE(program.Errors(), QStringList());
        QCOMPARE(QImage(app_ + u'/' + kBitmap).pixel(0, 0), 0xffff0000);
    }

    void folderWithoutWritePermission() {
        if (IsRoot()) {
            // Root may write anywhere: the same test runs again as "nobody", in folders of its
            // own.
            const QString home = tmp_->path() + QStringLiteral("/nobody");
            QVERIFY(QDir().mkpath(home));
            // Private, so that it serves as the child's runtime and temporary folder too.
            QVERIFY(::chown(QFile::encodeName(home).constData(), kNobody, kNobody) == 0);
            QVERIFY(::chmod(QFile::encodeName(home).constData(), 0700) == 0);
            QVERIFY(::chmod(QFile::encodeName(tmp_->path()).constData(), 0755) == 0);
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME",
                                     "XDG_CACHE_HOME", "XDG_DATA_HOME"})
                env.insert(QLatin1String(name), home);
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QStringLiteral("setpriv"),
                        {QStringLiteral("--reuid=%1").arg(kNobody),
                         QStringLiteral("--regid=%1").arg(kNobody),
                         QStringLiteral("--clear-groups"), QStringLiteral("--"),
                         QCoreApplication::applicationFilePath(),
                         QStringLiteral("folderWithoutWritePermission")});
            QVERIFY2(child.waitForFinished(120000), qPrintable(child.errorString()));
            const QString output = QString::fromLocal8Bit(child.readAll());
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     qPrintable(output));
            // The child must have run the test, not skipped it.
            QVERIFY2(output.contains("PASS   : FullDiskTest::folderWithoutWritePermission()"),
                     qPrintable(output));
            return;
        }
        Program program(app_);
        QVERIFY(program.Start());
        MakeOldFiles(program);
        if (QTest::currentTestFailed())
            return;
        const QByteArray app = QFile::encodeName(app_);
        const QByteArray pic = QFile::encodeName(app_ + "/Pic");
        QVERIFY(::chmod(pic.constData(), 0555) == 0 && ::chmod(app.constData(), 0555) == 0);
        FailThenRecover(program, Err::PermissionDenied, [&] {
            return ::chmod(pic.constData(), 0755) == 0 && ::chmod(app.constData(), 0755) == 0;
        });
    }
};

QTEST_MAIN(FullDiskTest)
#include "FullDiskTest.moc"
