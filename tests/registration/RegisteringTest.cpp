// SPDX-License-Identifier: MIT
// Registering pictures: the entry fields on every kind of drive, the copy into Pic/, the
// refusals, and the failures the list must survive. The list file's bytes are checked.
#include "DirListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "Machine.h"
#include "MountWatcher.h"
#include "QtEntries.h"
#include "VbCheckBox.h"
#include "VbListBox.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace velmora;
using namespace velmora::test;

namespace {
QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString NoSlash(QString folder) {
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}
} // namespace

class RegisteringTest : public QObject {
    Q_OBJECT

    // Opens the window at folder with the copy option as given and selects the named files.
    std::unique_ptr<frmKabegamiTouroku> OpenAt(Machine& machine, const QString& folder, bool copy,
                                               const QStringList& select) {
        machine.WriteListFile(
            Machine::Lines({{FromUtf8(machine.module.LastDrive), folder, copy ? "1" : "0"}}));
        auto window = machine.Open();
        if (!window)
            return nullptr;
        window->Dir1()->SetPath(folder);
        bool first = true;
        for (const QString& name : select) {
            const int row = Rows(window->File1()).indexOf(name);
            if (row < 0)
                return nullptr;
            ClickRow(window->File1(), row, first ? Qt::NoModifier : Qt::ControlModifier);
            first = false;
        }
        return window;
    }

    static QStringList Header(const Machine& machine, const QString& folder, const QString& copy) {
        return {FromUtf8(machine.module.LastDrive), NoSlash(folder), copy};
    }

  private Q_SLOTS:
    void registersOnEachKindOfDrive_data() {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<bool>("copied");
        QTest::newRow("fixed, copy off") << "c" << false << false;
        QTest::newRow("fixed, copy on") << "c" << true << false;
        QTest::newRow("cd-rom, copy off") << "cdrom" << false << false;
        QTest::newRow("cd-rom, copy on") << "cdrom" << true << true;
        QTest::newRow("network, copy on") << "net" << true << true;
        QTest::newRow("network, copy off") << "net" << false << false;
        QTest::newRow("ram disk, copy on") << "ram" << true << true;
        QTest::newRow("removable, copy on") << "usb" << true << true;
    }
    void registersOnEachKindOfDrive() {
        QFETCH(QString, drive);
        QFETCH(bool, copy);
        QFETCH(bool, copied);
        Machine machine;
        const QString folder = machine.MakeFolder(machine.Drive(drive) + "photos");
        machine.Picture(folder + "Sea.JPG", QSize(640, 480));
        auto window = OpenAt(machine, folder, copy, {"Sea.JPG"});
        QVERIFY(window);
        QTest::mouseClick(window->cmdTouroku(), Qt::LeftButton);

        const QString path = copied ? machine.Pic() + "Sea.JPG" : folder + "Sea.JPG";
        const QString mark = copied ? "1" : "0";
        QCOMPARE(machine.ReadListFile(), Machine::Lines({Header(machine, folder, copy ? "1" : "0"),
                                                         {folder, "Sea.JPG", path, mark}}));
        QCOMPARE(QFile::exists(machine.Pic() + "Sea.JPG"), copied);
        if (copied)
            QCOMPARE(Bytes(machine.Pic() + "Sea.JPG"), Bytes(folder + "Sea.JPG"));
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        // The new entry is current and previewed from its own path.
        QCOMPARE(Rows(window->lstTourokuFileList()), QStringList{"Sea.JPG"});
        QCOMPARE(window->lstTourokuFileList()->currentRow(), 0);
        QCOMPARE(machine.platform.loadedPictures.last(), path);
        QVERIFY(window->imgPreview()->isVisible());
        QVERIFY(window->isEnabled());
        QCOMPARE(machine.module.KabegamiList.size(), 1);
    }

    void aPictureAtADriveRootKeepsOneSeparator() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "root.bmp");
        auto window = OpenAt(machine, cd, false, {"root.bmp"});
        QVERIFY(window);
        window->cmdTouroku_Click();
        QCOMPARE(machine.ReadListFile(), Machine::Lines({Header(machine, cd, "0"),
                                                         {cd, "root.bmp", cd + "root.bmp", "0"}}));
        QVERIFY(!cd.endsWith("//"));
    }

    void appendsToTheListInOrderAndKeepsTheSelection() {
        Machine machine;
        const QString folder = machine.MakeFolder(machine.Drive("c") + "p");
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            machine.Picture(folder + name);
        const QString existing = machine.Drive("c") + "old/";
        auto window = OpenAt(machine, folder, false, {"c.bmp", "a.bmp"});
        QVERIFY(window);
        machine.module.KabegamiList = {Entry(existing, "z.jpg", existing + "z.jpg", "0")};
        window->cmdTouroku_Click();
        // Ascending file-list order, whatever order the rows were picked in.
        QCOMPARE(machine.ReadListFile(),
                 Machine::Lines({Header(machine, folder, "0"),
                                 {existing, "z.jpg", existing + "z.jpg", "0"},
                                 {folder, "a.bmp", folder + "a.bmp", "0"},
                                 {folder, "c.bmp", folder + "c.bmp", "0"}}));
        QCOMPARE(SelectedRows(window->File1()), (QList<int>{0, 2}));
        QCOMPARE(window->lstTourokuFileList()->currentRow(), 2);
    }

    void nothingSelectedChangesNothing() {
        Machine machine;
        machine.Picture(machine.App() + "a.bmp");
        auto window = OpenAt(machine, machine.App(), true, {});
        QVERIFY(window);
        const QByteArray before = machine.ReadListFile();
        QTest::mouseClick(window->cmdTouroku(), Qt::LeftButton);
        QCOMPARE(machine.ReadListFile(), before);
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        QVERIFY(window->isEnabled());
    }

    void refusesWhatIsAlreadyRegistered() {
        Machine machine;
        const QString folder = machine.MakeFolder(machine.Drive("c") + "pics");
        machine.Picture(folder + "ｐｈｏｔｏ.jpg");
        machine.Picture(folder + "a.jpg");
        const QByteArray list = Machine::Lines(
            {{FromUtf8(machine.module.LastDrive), NoSlash(folder), "0"},
             {folder.toUpper(), "A.JPG", folder.toUpper() + "A.JPG", "0"},
             {folder.toUpper(), "ＰＨＯＴＯ.JPG", folder.toUpper() + "ＰＨＯＴＯ.JPG", "0"}});
        machine.WriteListFile(list);
        auto window = machine.Open();
        QVERIFY(window);
        QList<bool> enabledDuringBoxes;
        machine.platform.onMsgBox = [&](const MsgBoxCall&) {
            enabledDuringBoxes << window->isEnabled();
        };
        window->File1()->selectAll();
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 2);
        QCOMPARE(machine.platform.msgBoxes[0].text, QStringLiteral("a.jpgは既に登録されています"));
        QCOMPARE(machine.platform.msgBoxes[0].title, QStringLiteral("二重登録です"));
        QCOMPARE(machine.platform.msgBoxes[0].style, 16);
        QCOMPARE(machine.platform.msgBoxes[1].text,
                 QStringLiteral("ｐｈｏｔｏ.jpgは既に登録されています"));
        QCOMPARE(enabledDuringBoxes, (QList<bool>{false, false}));
        QVERIFY(window->isEnabled());
        QCOMPARE(machine.ReadListFile(), list);
        QCOMPARE(window->lstTourokuFileList()->count(), 2);
    }

    void aNameInTheListCannotBeCopiedAgain() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        const QString c = machine.Drive("c");
        machine.Picture(cd + "A.JPG");
        // Entry 0 only shares the name; entry 1 is the very same file: entry 0 decides.
        const QByteArray list =
            Machine::Lines({{FromUtf8(machine.module.LastDrive), NoSlash(cd), "1"},
                            {c, "a.jpg", c + "a.jpg", "0"},
                            {cd, "A.JPG", machine.Pic() + "A.JPG", "1"}});
        machine.WriteListFile(list);
        auto window = machine.Open();
        QVERIFY(window);
        window->Dir1()->SetPath(cd);
        ClickRow(window->File1(), 0);
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text,
                 QStringLiteral("A.JPGが登録済みリストに存在するためコピーできません"));
        QCOMPARE(machine.platform.msgBoxes[0].title, QStringLiteral("登録できません"));
        QCOMPARE(machine.platform.msgBoxes[0].style, 16);
        QVERIFY(!QFile::exists(machine.Pic() + "A.JPG"));

        // With the entries the other way round the duplicate is met first.
        machine.module.KabegamiList = {machine.module.KabegamiList[1],
                                       machine.module.KabegamiList[0]};
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 2);
        QCOMPARE(machine.platform.msgBoxes[1].text, QStringLiteral("A.JPGは既に登録されています"));

        // Copy option off: no name test, it is registered where it lies.
        machine.module.KabegamiList = {Entry(c, "a.jpg", c + "a.jpg", "0")};
        window->chkFileCopy()->SetValue(0);
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 2);
        QCOMPARE(machine.module.KabegamiList.back(), (Entry(cd, "A.JPG", cd + "A.JPG", "0")));
    }

    void theGreyCopyOptionCountsAsOff() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "g.bmp");
        auto window = OpenAt(machine, cd, true, {"g.bmp"});
        QVERIFY(window);
        window->chkFileCopy()->SetValue(2);
        window->cmdTouroku_Click();
        QCOMPARE(FromUtf8(At(machine.module.KabegamiList, 0).CopiedToPic), QStringLiteral("0"));
        QVERIFY(!QFile::exists(machine.Pic() + "g.bmp"));
    }

    void threeFilesWithTheMiddleOneRefused() {
        Machine machine;
        const QString folder = machine.MakeFolder(machine.Drive("net") + "share");
        for (const char* name : {"1.jpg", "2.jpg", "3.jpg"})
            machine.Picture(folder + name);
        auto window = OpenAt(machine, folder, true, {});
        QVERIFY(window);
        machine.module.KabegamiList = {Entry(folder, "2.jpg", folder + "2.jpg", "0")};
        QVERIFY(machine.module.WriteKabegamiList());
        window->File1()->setFocus();
        ClickRow(window->File1(), 0);
        ClickRow(window->File1(), 2, Qt::ShiftModifier);
        QCOMPARE(SelectedRows(window->File1()), (QList<int>{0, 1, 2}));
        // Enter in the file list registers, as the button does.
        QTest::keyClick(window->File1(), Qt::Key_Return);
        QCOMPARE(window->focusWidget(), window->File1());
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text, QStringLiteral("2.jpgは既に登録されています"));
        QCOMPARE(machine.ReadListFile(),
                 Machine::Lines({Header(machine, folder, "1"),
                                 {folder, "2.jpg", folder + "2.jpg", "0"},
                                 {folder, "1.jpg", machine.Pic() + "1.jpg", "1"},
                                 {folder, "3.jpg", machine.Pic() + "3.jpg", "1"}}));
        QCOMPARE(Rows(window->lstTourokuFileList()), (QStringList{"2.jpg", "1.jpg", "3.jpg"}));
        QCOMPARE(window->lstTourokuFileList()->currentRow(), 2);
        QCOMPARE(machine.platform.loadedPictures.last(), machine.Pic() + "3.jpg");
    }

    void aFailedCopyAddsNothingAndGoesOn() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "bad.jpg");
        machine.Picture(cd + "good.jpg");
        auto window = OpenAt(machine, cd, true, {"bad.jpg", "good.jpg"});
        QVERIFY(window);
        machine.platform.beforeOperation = [](const QString& op, const QString& path) {
            if (op == "CopyFile" && path.endsWith("bad.jpg"))
                throw PlatformError(Err::DiskFull);
        };
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text,
                 QStringLiteral("61:") + Described(Err::DiskFull));
        QCOMPARE(machine.platform.msgBoxes[0].title, QStringLiteral("エラー"));
        QVERIFY(window->isEnabled());
        QCOMPARE(machine.ReadListFile(),
                 Machine::Lines({Header(machine, cd, "1"),
                                 {cd, "good.jpg", machine.Pic() + "good.jpg", "1"}}));
        QVERIFY(!QFile::exists(machine.Pic() + "bad.jpg"));
    }

    void aCopyFromAVanishedMediumIsReported() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "gone.jpg");
        auto window = OpenAt(machine, cd, true, {"gone.jpg"});
        QVERIFY(window);
        QFile::remove(cd + "gone.jpg");
        const QByteArray before = machine.ReadListFile();
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QVERIFY(machine.platform.msgBoxes[0].text.startsWith("53:"));
        QCOMPARE(machine.module.KabegamiList.size(), 0);
        QCOMPARE(machine.ReadListFile(), before);
    }

    void copyOffRegistersAFileThatIsGone() {
        Machine machine;
        const QString c = machine.Drive("c");
        machine.Picture(c + "gone.jpg");
        auto window = OpenAt(machine, c, false, {"gone.jpg"});
        QVERIFY(window);
        QFile::remove(c + "gone.jpg");
        window->cmdTouroku_Click();
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        QCOMPARE(FromUtf8(At(machine.module.KabegamiList, 0).KabegamiPath), c + "gone.jpg");
        QVERIFY(!window->imgPreview()->isVisible());
    }

    void aFailedWriteKeepsTheFileAndLeavesNoCopy() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "w.jpg");
        machine.Picture(cd + "x.jpg");
        auto window = OpenAt(machine, cd, true, {"w.jpg", "x.jpg"});
        QVERIFY(window);
        const QByteArray before = machine.ReadListFile();
        machine.platform.beforeOperation = [](const QString& op, const QString&) {
            if (op == "WriteFileAtomically")
                throw PlatformError(Err::PermissionDenied);
        };
        window->cmdTouroku_Click();
        // One report; the action ends there.
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QVERIFY(machine.platform.msgBoxes[0].text.startsWith("70:"));
        QCOMPARE(machine.ReadListFile(), before);
        QCOMPARE(machine.module.KabegamiList.size(), 0);
        QCOMPARE(window->lstTourokuFileList()->count(), 0);
        QVERIFY(!QFile::exists(machine.Pic() + "w.jpg"));
        QVERIFY(!QFile::exists(machine.Pic() + "x.jpg"));
        QVERIFY(window->isEnabled());
    }

    void refusesNamesTheListCannotHold() {
        Machine machine;
        const QString folder = machine.MakeFolder(machine.Drive("c") + "odd");
        machine.Picture(folder + "a,\"b.jpg");
        machine.Picture(folder + "c,d.jpg");
        // A name whose bytes are no UTF-8 reaches the file list with a replacement character;
        // written back, it would name another file.
        machine.Picture(folder + QString::fromUtf16(u"e\uFFFD.jpg"));
        auto window = OpenAt(machine, folder, false, {});
        QVERIFY(window);
        window->File1()->selectAll();
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 2);
        QVERIFY(machine.platform.msgBoxes[0].text.startsWith(u"a,\"b.jpgは"));
        QVERIFY(machine.platform.msgBoxes[1].text.startsWith(u"e\uFFFD.jpgは"));
        for (const MsgBoxCall& box : machine.platform.msgBoxes) {
            QCOMPARE(box.title, QStringLiteral("登録できません"));
            QCOMPARE(box.style, 16);
        }
        // A comma alone is stored quoted and reads back whole.
        QCOMPARE(machine.module.KabegamiList.size(), 1);
        QCOMPARE(machine.module.KabegamiList[0],
                 (Entry(folder, "c,d.jpg", folder + "c,d.jpg", "0")));
        QCOMPARE(machine.ReadListFile(),
                 Machine::Lines({Header(machine, folder, "0"),
                                 {folder, "\"c,d.jpg\"", "\"" + folder + "c,d.jpg\"", "0"}}));
    }

    void aLinkIsRegisteredAsChosenAndCopiedAsThePicture() {
        Machine machine;
        const QString store = machine.MakeFolder(machine.tmp.path() + "/elsewhere");
        machine.Picture(store + "real.jpg");
        const QString cd = machine.Drive("cdrom");
        const QString c = machine.Drive("c");
        QVERIFY(QFile::link(store + "real.jpg", cd + "link.jpg"));
        QVERIFY(QFile::link(store + "real.jpg", c + "link.jpg"));

        auto window = OpenAt(machine, c, true, {"link.jpg"});
        QVERIFY(window);
        window->cmdTouroku_Click();
        QCOMPARE(At(machine.module.KabegamiList, 0), (Entry(c, "link.jpg", c + "link.jpg", "0")));

        window->Dir1()->SetPath(cd);
        ClickRow(window->File1(), 0);
        machine.module.KabegamiList.clear();
        window->cmdTouroku_Click();
        QCOMPARE(At(machine.module.KabegamiList, 0),
                 (Entry(cd, "link.jpg", machine.Pic() + "link.jpg", "1")));
        const QFileInfo copy(machine.Pic() + "link.jpg");
        QVERIFY(copy.exists());
        QVERIFY(!copy.isSymLink());
        QCOMPARE(Bytes(copy.filePath()), Bytes(store + "real.jpg"));
    }

    void aCopyNeverReplacesAnotherFileOfThatName() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(cd + "s.bmp", QSize(10, 10));
        machine.Picture(cd + "t.bmp", QSize(12, 12));
        QFile own(machine.Pic() + "s.bmp");
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("the user's own file");
        own.close();
        // What an interrupted registration left: the very bytes of the picture.
        QVERIFY(QFile::copy(cd + "t.bmp", machine.Pic() + "t.bmp"));
        auto window = OpenAt(machine, cd, true, {"s.bmp", "t.bmp"});
        QVERIFY(window);
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text,
                 QStringLiteral("58:") + Described(Err::FileAlreadyExists));
        QCOMPARE(Bytes(machine.Pic() + "s.bmp"), QByteArray("the user's own file"));
        QCOMPARE(machine.ReadListFile(),
                 Machine::Lines(
                     {Header(machine, cd, "1"), {cd, "t.bmp", machine.Pic() + "t.bmp", "1"}}));
        QCOMPARE(Bytes(machine.Pic() + "t.bmp"), Bytes(cd + "t.bmp"));
    }

    void aMediumUnmountedBeforeRegisteringIsNotTakenForTheDisk() {
        Machine machine;
        const QString usb = machine.Drive("usb");
        machine.Picture(usb + "u.jpg");
        auto window = OpenAt(machine, usb, true, {"u.jpg"});
        QVERIFY(window);
        // Taken out: its folder now lies on the disk under it, and is empty.
        std::erase_if(machine.platform.drives,
                      [&](const DriveInfo& d) { return d.Root == ToUtf8(usb); });
        machine.platform.drives.push_back({"/ [root]", "/"});
        QVERIFY(QFile::remove(usb + "u.jpg"));
        const QByteArray before = machine.ReadListFile();
        window->cmdTouroku_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QVERIFY2(machine.platform.msgBoxes[0].text.startsWith("53:"),
                 qPrintable(machine.platform.msgBoxes[0].text));
        QCOMPARE(machine.module.KabegamiList.size(), 0);
        QCOMPARE(machine.ReadListFile(), before);
        QVERIFY(window->isEnabled());
    }

    // A long run shows how far it has got, takes no second run of itself (Enter reaches the
    // file list's handler however the window is disabled), keeps its file list when the drive
    // is unmounted meanwhile, and the close box ends it after the picture at hand, keeping
    // every picture registered until then.
    void aLongRunShowsProgressAndStopsAtTheCloseBox() {
        Machine machine;
        const QString folder = machine.MakeFolder(machine.Drive("c") + "many");
        QStringList names;
        for (int i = 1; i <= 6; ++i) {
            names << QStringLiteral("p%1.bmp").arg(i);
            machine.Picture(folder + names.last());
        }
        auto window = OpenAt(machine, folder, false, names);
        QVERIFY(window);
        QList<QStringList> lines{Header(machine, folder, "0")};
        for (const QString& name : names.first(3))
            lines.append({folder, name, folder + name, "0"});
        QStringList progress;
        machine.platform.beforeOperation = [&](const QString& operation, const QString&) {
            if (operation != u"WriteFileAtomically")
                return;
            progress << window->lblErrMessage()->text();
            if (progress.size() == 2) {
                window->File1_KeyPress(13);
                machine.platform.drives.erase(machine.platform.drives.begin()); // drive c, shown
                Q_EMIT window->findChild<MountWatcher*>()->Changed();
            }
            if (progress.size() == 3) // the user clicks the close box while picture 3 is saved
                QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
        };
        QTest::mouseClick(window->cmdTouroku(), Qt::LeftButton);

        QCOMPARE(progress, (QStringList{"登録中 1 / 6", "登録中 2 / 6", "登録中 3 / 6"}));
        QCOMPARE(machine.ReadListFile(), Machine::Lines(lines));
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        QVERIFY(!window->isVisible());
        QVERIFY(window->isEnabled());
        QCOMPARE(window->lblErrMessage()->text(), QString());
        // the unmount is followed once the run is over
        QCOMPARE(window->Drive1()->Drive(), QStringLiteral("cdrom [CDROM]"));
    }
};

QTEST_MAIN(RegisteringTest)
#include "RegisteringTest.moc"
