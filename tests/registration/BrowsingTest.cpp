// SPDX-License-Identifier: MIT
// Browsing drives, folders and pictures, the preview and the window's opening.
#include "DirListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "Machine.h"
#include "MountWatcher.h"
#include "QtEntries.h"
#include "VbCheckBox.h"
#include "VbListBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

using namespace velmora;
using namespace velmora::test;

namespace {
QString NoSlash(QString folder) {
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// Answers the header values the window opens with.
QByteArray Header(const QString& drive, const QString& folder, const QString& copy) {
    return Machine::Lines({{drive, folder, copy}});
}
} // namespace

class BrowsingTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void opensAtTheProgramsFolderWithoutAListFile() {
        Machine machine;
        machine.Picture(machine.App() + "b.jpg");
        machine.Picture(machine.App() + "A.BMP");
        machine.Picture(machine.App() + "c.Jpeg");
        machine.Picture(machine.App() + ".hidden.jpg");
        machine.Picture(machine.App() + "d.png");
        QFile(machine.App() + "notes.txt").open(QIODevice::WriteOnly);
        auto window = machine.Open();
        QVERIFY(window);
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        QCOMPARE(window->lstTourokuFileList()->count(), 0);
        QCOMPARE(window->Drive1()->Drive(), QStringLiteral("c [SYSTEM]"));
        QCOMPARE(window->Dir1()->Path(), NoSlash(machine.App()));
        QCOMPARE(Rows(window->File1()), (QStringList{"A.BMP", "b.jpg", "c.Jpeg"}));
        QCOMPARE(window->chkFileCopy()->Value(), 1);
        QCOMPARE(window->File1()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(window->lstTourokuFileList()->selectionMode(),
                 QAbstractItemView::ExtendedSelection);
        // The list file is not written by opening the window.
        QVERIFY(!QFile::exists(machine.ListFile()));
    }

    void showsTheChainAndTheSubfolders() {
        Machine machine;
        const QString c = machine.Drive("c");
        machine.MakeFolder(c + "pics/wall/old");
        machine.MakeFolder(c + "pics/wall/Beach");
        machine.MakeFolder(c + "pics/wall/.cache");
        machine.Picture(c + "pics/wall/sea.jpg");
        machine.WriteListFile(Header("c [SYSTEM]", c + "pics/wall", "0"));
        auto window = machine.Open();
        QVERIFY(window);
        DirListBox* dir = window->Dir1();
        QCOMPARE(dir->Path(), c + "pics/wall");
        QCOMPARE(Rows(dir), (QStringList{NoSlash(c), "pics", "wall", "Beach", "old"}));
        QCOMPARE(dir->currentRow(), 2);
        QCOMPARE(Rows(window->File1()), QStringList{"sea.jpg"});

        // A single click marks a folder without opening it.
        ClickRow(dir, 4);
        QCOMPARE(dir->Path(), c + "pics/wall");
        QCOMPARE(FromUtf8(machine.module.LastFolder), c + "pics/wall");

        // A double-click opens it; the file list and LastFolder follow.
        DoubleClickRow(dir, 4);
        QCOMPARE(dir->Path(), c + "pics/wall/old");
        QCOMPARE(Rows(dir), (QStringList{NoSlash(c), "pics", "wall", "old"}));
        QCOMPARE(window->File1()->count(), 0);
        QCOMPARE(FromUtf8(machine.module.LastFolder), c + "pics/wall/old");

        // Enter opens the marked folder: up the chain to "pics".
        ClickRow(dir, 1);
        QTest::keyClick(dir, Qt::Key_Return);
        QCOMPARE(dir->Path(), c + "pics");
        QCOMPARE(Rows(dir), (QStringList{NoSlash(c), "pics", "wall"}));
        QCOMPARE(FromUtf8(machine.module.LastFolder), c + "pics");
        QVERIFY(window->isVisible());
        QVERIFY(machine.platform.msgBoxes.isEmpty());
    }

    void aFolderThatCannotBeOpenedIsReported() {
        Machine machine;
        const QString c = machine.Drive("c");
        machine.MakeFolder(c + "locked");
        machine.WriteListFile(Header("c [SYSTEM]", c, "0"));
        auto window = machine.Open();
        QVERIFY(window);
        machine.platform.beforeOperation = [](const QString& op, const QString& path) {
            if (op == "ListSubfolders" && path.contains("locked"))
                throw PlatformError(Err::PermissionDenied);
        };
        const int row = Rows(window->Dir1()).indexOf("locked");
        QVERIFY(row > 0);
        DoubleClickRow(window->Dir1(), row);
        QCOMPARE(window->Dir1()->Path(), NoSlash(c));
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text,
                 QStringLiteral("70:") + Described(Err::PermissionDenied));
        QCOMPARE(machine.platform.msgBoxes[0].title, QStringLiteral("エラー"));
    }

    void choosingADriveGoesToItsRoot() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "disc.jpg");
        auto window = machine.Open();
        QVERIFY(window);
        DriveComboBox* drive = window->Drive1();
        QCOMPARE(drive->count(), 5);
        drive->setFocus();
        drive->setCurrentIndex(drive->findText("cdrom [CDROM]"));
        QCOMPARE(window->Dir1()->Path(), NoSlash(cd));
        QCOMPARE(Rows(window->File1()), QStringList{"disc.jpg"});
        QCOMPARE(FromUtf8(machine.module.LastDrive), QStringLiteral("cdrom [CDROM]"));
        QCOMPARE(FromUtf8(machine.module.LastFolder), NoSlash(cd));
    }

    void aDriveWithoutMediumKeepsTheListsButTakesTheName() {
        Machine machine;
        machine.Picture(machine.App() + "here.bmp");
        machine.platform.unreadableDrives[machine.Drive("usb")] = Err::DiskNotReady;
        auto window = machine.Open();
        QVERIFY(window);
        DriveComboBox* drive = window->Drive1();
        drive->setCurrentIndex(drive->findText("usb [USB]"));
        QCOMPARE(drive->Drive(), QStringLiteral("usb [USB]"));
        QCOMPARE(window->Dir1()->Path(), NoSlash(machine.App()));
        QCOMPARE(Rows(window->File1()), QStringList{"here.bmp"});
        QCOMPARE(FromUtf8(machine.module.LastDrive), QStringLiteral("usb [USB]"));
        QCOMPARE(FromUtf8(machine.module.LastFolder), machine.App());
        QVERIFY(machine.platform.msgBoxes.isEmpty());
    }

    // Volumes mounted or unmounted while the window is open show in the drive selector at
    // once; the shown drive and folder stay while they are there.
    void theDriveListFollowsTheMounts() {
        Machine machine;
        const QString pics = machine.MakeFolder(machine.Drive("usb") + "pics");
        machine.Picture(pics + "u.bmp");
        auto window = machine.Open();
        QVERIFY(window);
        DriveComboBox* drive = window->Drive1();
        drive->setCurrentIndex(drive->findText("usb [USB]"));
        window->Dir1()->SetPath(pics);
        auto* watcher = window->findChild<MountWatcher*>();
        QVERIFY(watcher);
        const auto drives = [&] {
            QStringList names;
            for (int i = 0; i < drive->count(); ++i)
                names << drive->itemText(i);
            return names;
        };

        const QString stick = machine.MakeFolder(machine.tmp.path() + "/drives/stick");
        machine.platform.drives.push_back({"stick [STICK]", ToUtf8(stick)});
        machine.platform.drives.erase(machine.platform.drives.begin() + 2); // the network share
        Q_EMIT watcher->Changed();
        QCOMPARE(drives(), (QStringList{"c [SYSTEM]", "cdrom [CDROM]", "ram [RAM]", "usb [USB]",
                                        "stick [STICK]"}));
        QCOMPARE(drive->Drive(), QStringLiteral("usb [USB]"));
        QCOMPARE(window->Dir1()->Path(), NoSlash(pics));
        QCOMPARE(Rows(window->File1()), QStringList{"u.bmp"});

        // the shown drive is gone: the lists go where the selector falls back to
        machine.platform.drives.erase(machine.platform.drives.begin() + 3);
        Q_EMIT watcher->Changed();
        QCOMPARE(drives(),
                 (QStringList{"c [SYSTEM]", "cdrom [CDROM]", "ram [RAM]", "stick [STICK]"}));
        QCOMPARE(drive->Drive(), QStringLiteral("c [SYSTEM]"));
        QCOMPARE(window->Dir1()->Path(), NoSlash(machine.Drive("c")));
        QCOMPARE(FromUtf8(machine.module.LastDrive), QStringLiteral("c [SYSTEM]"));
        QCOMPARE(FromUtf8(machine.module.LastFolder), NoSlash(machine.Drive("c")));
    }

    void restoresFolderDriveAndCopyOption() {
        // The same drive as the selector starts on: the folder is restored.
        {
            Machine machine;
            const QString pics = machine.MakeFolder(machine.Drive("c") + "pics");
            machine.Picture(pics + "p.jpg");
            machine.WriteListFile(Header("c [SYSTEM]", NoSlash(pics), "0"));
            auto window = machine.Open();
            QVERIFY(window);
            QCOMPARE(window->Dir1()->Path(), NoSlash(pics));
            QCOMPARE(Rows(window->File1()), QStringList{"p.jpg"});
            QCOMPARE(window->chkFileCopy()->Value(), 0);
            QCOMPARE(FromUtf8(machine.module.FileCopySetting), QStringLiteral("0"));
        }
        // Another drive: it has the last word, the lists end at its root.
        {
            Machine machine;
            const QString pics = machine.MakeFolder(machine.Drive("c") + "pics");
            machine.Picture(machine.Drive("net") + "n.bmp");
            machine.WriteListFile(Header("net [NET]", NoSlash(pics), "1"));
            auto window = machine.Open();
            QVERIFY(window);
            QCOMPARE(window->Drive1()->Drive(), QStringLiteral("net [NET]"));
            QCOMPARE(window->Dir1()->Path(), NoSlash(machine.Drive("net")));
            QCOMPARE(Rows(window->File1()), QStringList{"n.bmp"});
            QCOMPARE(FromUtf8(machine.module.LastFolder), NoSlash(machine.Drive("net")));
            QCOMPARE(window->chkFileCopy()->Value(), 1);
        }
        // A folder that is gone and a drive that is not mounted: both steps are passed over.
        {
            Machine machine;
            machine.WriteListFile(Header("zip [ZIP]", machine.Drive("c") + "gone", "1"));
            auto window = machine.Open();
            QVERIFY(window);
            QCOMPARE(window->Drive1()->Drive(), QStringLiteral("c [SYSTEM]"));
            QCOMPARE(window->Dir1()->Path(), NoSlash(machine.App()));
            QCOMPARE(FromUtf8(machine.module.LastDrive), QStringLiteral("zip [ZIP]"));
            QVERIFY(machine.platform.msgBoxes.isEmpty());
        }
    }

    void readsTheCopyOptionAsANumber_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("setting");
        QTest::newRow("1") << "1" << 1 << "1";
        QTest::newRow("0") << "0" << 0 << "0";
        QTest::newRow("not a number") << "yes" << 0 << "yes";
        QTest::newRow("out of range") << "7" << 0 << "7";
        QTest::newRow("grey") << "2" << 2 << "2";
    }
    void readsTheCopyOptionAsANumber() {
        QFETCH(QString, stored);
        QFETCH(int, value);
        QFETCH(QString, setting);
        Machine machine;
        machine.WriteListFile(Header("c [SYSTEM]", machine.App(), stored));
        auto window = machine.Open();
        QVERIFY(window);
        QCOMPARE(window->chkFileCopy()->Value(), value);
        QCOMPARE(FromUtf8(machine.module.FileCopySetting), setting);
    }

    void clickingTheCopyOptionRecordsIt() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        QTest::mouseClick(window->chkFileCopy(), Qt::LeftButton, {},
                          QPoint(8, window->chkFileCopy()->height() / 2));
        QCOMPARE(window->chkFileCopy()->Value(), 0);
        QCOMPARE(FromUtf8(machine.module.FileCopySetting), QStringLiteral("0"));
        QTest::mouseClick(window->chkFileCopy(), Qt::LeftButton, {},
                          QPoint(8, window->chkFileCopy()->height() / 2));
        QCOMPARE(FromUtf8(machine.module.FileCopySetting), QStringLiteral("1"));
        // From grey a click ticks it, and then it only toggles.
        window->chkFileCopy()->SetValue(2);
        QCOMPARE(FromUtf8(machine.module.FileCopySetting), QStringLiteral("2"));
        window->chkFileCopy()->click();
        QCOMPARE(FromUtf8(machine.module.FileCopySetting), QStringLiteral("1"));
        window->chkFileCopy()->click();
        window->chkFileCopy()->click();
        QCOMPARE(FromUtf8(machine.module.FileCopySetting), QStringLiteral("1"));
    }

    void previewsTheClickedFileFromTheFolderList() {
        Machine machine;
        const QString c = machine.Drive("c");
        machine.Picture(c + "A.BMP");
        const QString wall = machine.MakeFolder(c + "WALL");
        machine.Picture(wall + "A.BMP");
        machine.WriteListFile(Header("c [SYSTEM]", c, "0"));
        auto window = machine.Open();
        QVERIFY(window);
        ClickRow(window->File1(), 0);
        QCOMPARE(machine.platform.loadedPictures.value(0), c + "A.BMP");
        QVERIFY(window->imgPreview()->isVisible());

        window->Dir1()->SetPath(wall);
        ClickRow(window->File1(), 0);
        QCOMPARE(machine.platform.loadedPictures.value(1), wall + "A.BMP");
        // Clicking the current row again previews it again; arrow keys preview too.
        ClickRow(window->File1(), 0);
        QCOMPARE(machine.platform.loadedPictures.size(), 3);
    }

    void arrowKeysPreviewEachRow() {
        Machine machine;
        for (const char* name : {"1.bmp", "2.bmp", "3.bmp"})
            machine.Picture(machine.App() + name);
        auto window = machine.Open();
        QVERIFY(window);
        ClickRow(window->File1(), 0);
        QTest::keyClick(window->File1(), Qt::Key_Down);
        QTest::keyClick(window->File1(), Qt::Key_Down);
        QCOMPARE(machine.platform.loadedPictures,
                 (QStringList{machine.App() + "1.bmp", machine.App() + "2.bmp",
                              machine.App() + "3.bmp"}));
    }

    void fitsThePreviewFromItsFixedCorner_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("640x480") << QSize(640, 480) << 2175.0f << 1631.25f << QSize(145, 109);
        QTest::newRow("480x640") << QSize(480, 640) << 1631.25f << 2175.0f << QSize(109, 145);
        QTest::newRow("100x100") << QSize(100, 100) << 2175.0f << 2175.0f << QSize(145, 145);
        QTest::newRow("2000x10") << QSize(2000, 10) << 2175.0f << 10.875f << QSize(145, 1);
    }
    void fitsThePreviewFromItsFixedCorner() {
        QFETCH(QSize, picture);
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(QSize, pixels);
        Machine machine;
        machine.Picture(machine.App() + "p.bmp", picture);
        auto window = machine.Open();
        QVERIFY(window);
        ClickRow(window->File1(), 0);
        QVERIFY(qAbs(window->PreviewWidth() - width) < 0.01f);
        QVERIFY(qAbs(window->PreviewHeight() - height) < 0.01f);
        QCOMPARE(window->imgPreview()->geometry(), QRect(QPoint(200, 160), pixels));
        QVERIFY(window->imgPreview()->isVisible());
        QVERIFY(!window->imgPreview()->pixmap().isNull());
        // Decoded for the box, not at the picture's own size.
        QCOMPARE(machine.platform.previewBoxes.value(0), pixels * window->devicePixelRatioF());
    }

    void reportsAMissingMediumInTheLabel_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("label");
        QTest::newRow("71") << int(Err::DiskNotReady)
                            << QStringLiteral("ディスクをセットしてください");
        QTest::newRow("76") << int(Err::PathNotFound)
                            << QStringLiteral("正しいディスクをセットしてください");
        QTest::newRow("53") << int(Err::FileNotFound) << QString();
    }
    void reportsAMissingMediumInTheLabel() {
        QFETCH(int, error);
        QFETCH(QString, label);
        Machine machine;
        machine.Picture(machine.App() + "good.bmp");
        machine.Picture(machine.App() + "p.bmp");
        auto window = machine.Open();
        QVERIFY(window);
        window->lblErrMessage()->setText("stale");
        machine.platform.beforeOperation = [error](const QString& op, const QString& path) {
            if (op == "LoadPicture" && path.endsWith("p.bmp"))
                throw PlatformError(error);
        };
        ClickRow(window->File1(), 1);
        QCOMPARE(window->lblErrMessage()->text(), label);
        QVERIFY(!window->imgPreview()->isVisible());
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        // The next preview empties the label and shows the box again.
        ClickRow(window->File1(), 0);
        QCOMPARE(window->lblErrMessage()->text(), QString());
        QVERIFY(window->imgPreview()->isVisible());
    }

    void aRegisteredFileThatIsGoneShowsNothing() {
        Machine machine;
        machine.WriteListFile(
            Machine::Lines({{"c [SYSTEM]", machine.App(), "1"},
                            {machine.App(), "gone.jpg", machine.App() + "gone.jpg", "0"},
                            {"/nowhere/", "x.jpg", "/nowhere/at/all/x.jpg", "0"}}));
        auto window = machine.Open();
        QVERIFY(window);
        ClickRow(window->lstTourokuFileList(), 0);
        QVERIFY(!window->imgPreview()->isVisible());
        QCOMPARE(window->lblErrMessage()->text(), QString());
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        // A folder that is not there reads as another disc in the drive.
        ClickRow(window->lstTourokuFileList(), 1);
        QCOMPARE(window->lblErrMessage()->text(),
                 QStringLiteral("正しいディスクをセットしてください"));
    }

    void aFileThatIsNoPictureIsAnError() {
        Machine machine;
        QFile fake(machine.App() + "fake.jpg");
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("this is text, not a picture");
        fake.close();
        auto window = machine.Open();
        QVERIFY(window);
        ClickRow(window->File1(), 0);
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text, QStringLiteral("481:ピクチャが不正です。"));
        QCOMPARE(machine.platform.msgBoxes[0].title, QStringLiteral("エラー"));
        QCOMPARE(machine.platform.msgBoxes[0].style, 16);
        QVERIFY(!window->imgPreview()->isVisible());
    }

    void previewsTheRegisteredEntrysOwnPath() {
        Machine machine;
        machine.Picture(machine.Pic() + "copy.jpg", QSize(480, 640));
        machine.WriteListFile(Machine::Lines(
            {{"c [SYSTEM]", machine.App(), "1"},
             {machine.Drive("cdrom"), "copy.jpg", machine.Pic() + "copy.jpg", "1"}}));
        auto window = machine.Open();
        QVERIFY(window);
        QCOMPARE(Rows(window->lstTourokuFileList()), QStringList{"copy.jpg"});
        ClickRow(window->lstTourokuFileList(), 0);
        QCOMPARE(machine.platform.loadedPictures, QStringList{machine.Pic() + "copy.jpg"});
        QVERIFY(qAbs(window->PreviewWidth() - 1631.25f) < 0.01f);
    }
};

QTEST_MAIN(BrowsingTest)
#include "BrowsingTest.moc"
