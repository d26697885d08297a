// SPDX-License-Identifier: MIT
// Removing registrations: the confirmation, the rebuilt list and its file, and the copies in
// Pic/ - deleted only when they are the program's own, never anything outside Pic/.
#include "Machine.h"
#include "VbListBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace velmora;
using namespace velmora::test;

class RemovingTest : public QObject {
    Q_OBJECT

    // A list of three entries: a picture used where it lies, a copy in Pic/, another picture.
    static QList<QStringList> ThreeEntries(const Machine& machine) {
        const QString c = machine.Drive("c");
        const QString cd = machine.Drive("cdrom");
        return {{"c [SYSTEM]", machine.App(), "1"},
                {c, "one.bmp", c + "one.bmp", "0"},
                {cd, "two.bmp", machine.Pic() + "two.bmp", "1"},
                {c, "three.bmp", c + "three.bmp", "0"}};
    }

    static std::unique_ptr<frmKabegamiTouroku> OpenWithThree(Machine& machine) {
        for (const char* name : {"one.bmp", "three.bmp"})
            machine.Picture(machine.Drive("c") + name);
        machine.Picture(machine.Drive("cdrom") + "two.bmp");
        machine.Picture(machine.Pic() + "two.bmp");
        machine.WriteListFile(Machine::Lines(ThreeEntries(machine)));
        return machine.Open();
    }

    static int WritesDuring(Machine& machine, const std::function<void()>& action) {
        int writes = 0;
        machine.platform.beforeOperation = [&](const QString& op, const QString&) {
            if (op == "WriteFileAtomically")
                ++writes;
        };
        action();
        machine.platform.beforeOperation = nullptr;
        return writes;
    }

  private Q_SLOTS:
    void nothingSelectedAsksNothing() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        const QByteArray before = machine.ReadListFile();
        QTest::mouseClick(window->cmdDelete(), Qt::LeftButton);
        QVERIFY(machine.platform.msgBoxes.isEmpty());
        QCOMPARE(machine.ReadListFile(), before);
    }

    void answeringNoChangesNothing() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        const QByteArray before = machine.ReadListFile();
        ClickRow(window->lstTourokuFileList(), 1);
        machine.platform.msgBoxAnswers = {MsgBoxResult::No};
        QTest::mouseClick(window->cmdDelete(), Qt::LeftButton);
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].text,
                 QStringLiteral("選択されたファイルを登録済みリストから削除しますか？"));
        QCOMPARE(machine.platform.msgBoxes[0].title, QStringLiteral("登録削除確認"));
        QCOMPARE(machine.platform.msgBoxes[0].style, 292);
        QCOMPARE(machine.ReadListFile(), before);
        QVERIFY(QFile::exists(machine.Pic() + "two.bmp"));
        QCOMPARE(SelectedRows(window->lstTourokuFileList()), QList<int>{1});
    }

    void enterInTheRegisteredListAsksWithNoPreselected() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        const QByteArray before = machine.ReadListFile();
        ClickRow(window->lstTourokuFileList(), 0);
        // The test double answers No unless told otherwise: the second Enter.
        QTest::keyClick(window->lstTourokuFileList(), Qt::Key_Return);
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(machine.platform.msgBoxes[0].style, 292);
        QCOMPARE(machine.ReadListFile(), before);
        QVERIFY(window->isVisible());

        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        QTest::keyClick(window->lstTourokuFileList(), Qt::Key_Enter);
        QCOMPARE(machine.module.KabegamiList.size(), 2);
    }

    void removesTheSecondOfThree() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        ClickRow(window->lstTourokuFileList(), 1);
        QVERIFY(window->imgPreview()->isVisible());
        QVERIFY(!window->imgPreview()->pixmap().isNull());
        const QRect box = window->imgPreview()->geometry();
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        window->lblErrMessage()->setText("kept");
        QCOMPARE(WritesDuring(machine, [&] { window->cmdDelete_Click(); }), 1);

        QList<QStringList> expected = ThreeEntries(machine);
        expected.removeAt(2);
        QCOMPARE(machine.ReadListFile(), Machine::Lines(expected));
        QCOMPARE(Rows(window->lstTourokuFileList()), (QStringList{"one.bmp", "three.bmp"}));
        QCOMPARE(window->lstTourokuFileList()->currentRow(), -1);
        QVERIFY(SelectedRows(window->lstTourokuFileList()).isEmpty());
        // The preview's picture goes; its size and visibility stay.
        QVERIFY(window->imgPreview()->pixmap().isNull());
        QVERIFY(window->imgPreview()->isVisible());
        QCOMPARE(window->imgPreview()->geometry(), box);
        QCOMPARE(window->lblErrMessage()->text(), QStringLiteral("kept"));
        // The program's own copy is gone; the picture it was copied from is not.
        QVERIFY(!QFile::exists(machine.Pic() + "two.bmp"));
        QVERIFY(QFile::exists(machine.Drive("cdrom") + "two.bmp"));
        QCOMPARE(window->KabegamiBackup().size(), 3);
    }

    void removesSeveralWithOneQuestionAndOneWrite() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        ClickRow(window->lstTourokuFileList(), 0);
        ClickRow(window->lstTourokuFileList(), 2, Qt::ControlModifier);
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        QCOMPARE(
            WritesDuring(machine, [&] { QTest::mouseClick(window->cmdDelete(), Qt::LeftButton); }),
            1);
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QList<QStringList> expected = ThreeEntries(machine);
        expected.removeAt(3);
        expected.removeAt(1);
        QCOMPARE(machine.ReadListFile(), Machine::Lines(expected));
        // Pictures the program did not copy stay where they are.
        QVERIFY(QFile::exists(machine.Drive("c") + "one.bmp"));
        QVERIFY(QFile::exists(machine.Drive("c") + "three.bmp"));
        QVERIFY(QFile::exists(machine.Pic() + "two.bmp"));
    }

    void removesEverything() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        window->lstTourokuFileList()->selectAll();
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        window->cmdDelete_Click();
        QCOMPARE(machine.ReadListFile(), Machine::Lines({ThreeEntries(machine)[0]}));
        QCOMPARE(machine.module.KabegamiList.size(), 0);
        QCOMPARE(window->lstTourokuFileList()->count(), 0);
        QVERIFY(!QFile::exists(machine.Pic() + "two.bmp"));
        // An empty list removes nothing and asks nothing.
        window->cmdDelete_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
    }

    void aCopyAlreadyDeletedByHandIsNoError() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        QVERIFY(QFile::remove(machine.Pic() + "two.bmp"));
        ClickRow(window->lstTourokuFileList(), 1);
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        window->cmdDelete_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
        QCOMPARE(Rows(window->lstTourokuFileList()), (QStringList{"one.bmp", "three.bmp"}));
    }

    void neverDeletesOutsidePic() {
        Machine machine;
        const QString c = machine.Drive("c");
        const QString victims = machine.MakeFolder(c + "mine");
        for (const char* name : {"direct.jpg", "dotdot.jpg", "linked.jpg", "Pictures.jpg"})
            machine.Picture(victims + name);
        QVERIFY(QFile::link(victims + "linked.jpg", machine.Pic() + "linked.jpg"));
        // A folder beside Pic/ whose name starts the same way.
        const QString beside = machine.MakeFolder(machine.App() + "Pictures");
        machine.Picture(beside + "p.jpg");
        machine.Picture(machine.App() + "app.jpg");
        machine.WriteListFile(
            Machine::Lines({{"c [SYSTEM]", machine.App(), "1"},
                            {c, "direct.jpg", victims + "direct.jpg", "1"},
                            {c, "dotdot.jpg", machine.Pic() + "../mine/../../mine/dotdot.jpg", "1"},
                            {c, "linked.jpg", machine.Pic() + "linked.jpg", "1"},
                            {c, "p.jpg", beside + "p.jpg", "1"},
                            {c, "app.jpg", machine.Pic() + "../app.jpg", "1"},
                            {c, "pic", machine.Pic(), "1"}}));
        auto window = machine.Open();
        QVERIFY(window);
        window->lstTourokuFileList()->selectAll();
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        window->cmdDelete_Click();
        QCOMPARE(machine.module.KabegamiList.size(), 0);
        for (const char* name : {"direct.jpg", "dotdot.jpg", "linked.jpg"})
            QVERIFY2(QFile::exists(victims + name), name);
        QVERIFY(QFile::exists(beside + "p.jpg"));
        QVERIFY(QFile::exists(machine.App() + "app.jpg"));
        QVERIFY(QDir(machine.Pic()).exists());
        QCOMPARE(machine.platform.msgBoxes.size(), 1);
    }

    void aCopyStillNamedByAnotherEntryStays() {
        Machine machine;
        const QString cd = machine.Drive("cdrom");
        machine.Picture(machine.Pic() + "same.jpg");
        machine.WriteListFile(
            Machine::Lines({{"c [SYSTEM]", machine.App(), "1"},
                            {cd, "same.jpg", machine.Pic() + "same.jpg", "1"},
                            {cd + "x/", "same.jpg", machine.Pic() + "same.jpg", "1"}}));
        auto window = machine.Open();
        QVERIFY(window);
        ClickRow(window->lstTourokuFileList(), 0);
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        window->cmdDelete_Click();
        QCOMPARE(machine.module.KabegamiList.size(), 1);
        QVERIFY(QFile::exists(machine.Pic() + "same.jpg"));
    }

    void aFailedWriteKeepsTheCopies() {
        Machine machine;
        auto window = OpenWithThree(machine);
        QVERIFY(window);
        const QByteArray before = machine.ReadListFile();
        window->lstTourokuFileList()->selectAll();
        machine.platform.msgBoxAnswers = {MsgBoxResult::Yes};
        machine.platform.beforeOperation = [](const QString& op, const QString&) {
            if (op == "WriteFileAtomically")
                throw PlatformError(Err::DiskFull);
        };
        window->cmdDelete_Click();
        QCOMPARE(machine.platform.msgBoxes.size(), 2);
        QVERIFY(machine.platform.msgBoxes[1].text.startsWith("61:"));
        QCOMPARE(machine.ReadListFile(), before);
        // The list shows what the file still holds, and the copy it names is still there.
        QCOMPARE(Rows(window->lstTourokuFileList()),
                 (QStringList{"one.bmp", "two.bmp", "three.bmp"}));
        QVERIFY(QFile::exists(machine.Pic() + "two.bmp"));
    }
};

QTEST_MAIN(RemovingTest)
#include "RemovingTest.moc"
