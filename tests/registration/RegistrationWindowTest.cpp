// SPDX-License-Identifier: MIT
// The registration window as a window: caption, frame, layout, fonts, keys, the About button.
#include "DirListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "Machine.h"
#include "VbCheckBox.h"
#include "VbListBox.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace velmora;
using namespace velmora::test;

class RegistrationWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void hasTheCaptionFrameAndSize() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("壁紙リスト登録"));
        QCOMPARE(window->size(), QSize(431, 345)); // 6465 x 5175 twips
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!window->windowIcon().isNull());
        const QRect screen = window->screen()->geometry();
        // Centred with its frame, to the pixel.
        const QPoint off = window->frameGeometry().center() - screen.center();
        QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
    }

    void placesEveryControlInTwips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1") << "Label1" << QRect(8, 8, 81, 17) << "追加登録";
        QTest::newRow("Drive1") << "Drive1" << QRect(8, 32, 153, 20) << "";
        QTest::newRow("Dir1") << "Dir1" << QRect(8, 56, 153, 104) << "";
        QTest::newRow("File1") << "File1" << QRect(8, 160, 153, 114) << "";
        QTest::newRow("cmdTouroku") << "cmdTouroku" << QRect(8, 288, 153, 25) << "登録";
        QTest::newRow("chkFileCopy")
            << "chkFileCopy" << QRect(8, 320, 385, 25)
            << "画像元がハードディスク以外のファイルをハードディスクにコピーする";
        QTest::newRow("Label2") << "Label2" << QRect(192, 8, 97, 17) << "登録済リスト";
        QTest::newRow("lstTourokuFileList")
            << "lstTourokuFileList" << QRect(192, 32, 169, 100) << "";
        QTest::newRow("lblErrMessage") << "lblErrMessage" << QRect(192, 136, 217, 17) << "";
        QTest::newRow("imgPreview") << "imgPreview" << QRect(200, 160, 153, 145) << "";
        QTest::newRow("cmdAbout") << "cmdAbout" << QRect(368, 80, 57, 25) << "about...";
        QTest::newRow("cmdDelete") << "cmdDelete" << QRect(368, 104, 57, 25) << "削除";
    }
    void placesEveryControlInTwips() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QFETCH(QString, text);
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        QWidget* control = window->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), pixels);
        if (auto* label = qobject_cast<QLabel*>(control))
            QCOMPARE(label->text(), text);
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            QCOMPARE(button->text(), text);
    }

    void usesTheHeadingFontAndHidesTheMeasuringBox() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        for (const char* name : {"Label1", "Label2"}) {
            const QFont font = window->findChild<QLabel*>(name)->font();
            QCOMPARE(font.families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
            QCOMPARE(font.pointSizeF(), 11.25);
            QVERIFY(font.bold());
        }
        QVERIFY(!window->imgSettei()->isVisible());
        QVERIFY(window->imgPreview()->isVisible());
        QVERIFY(window->imgPreview()->pixmap().isNull());
        QCOMPARE(window->lblErrMessage()->text(), QString());
    }

    void screenReadersHearWhatTheListsHold() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        const QList<std::pair<QWidget*, QString>> named{
            {window->Dir1(), QStringLiteral("追加登録 フォルダ")},
            {window->File1(), QStringLiteral("追加登録 ファイル")},
            {window->lstTourokuFileList(), QStringLiteral("登録済リスト")}};
        for (const auto& [control, name] : named) {
            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(control);
            QVERIFY(list);
            QCOMPARE(list->text(QAccessible::Name), name);
        }
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label2"))->buddy(),
                 window->lstTourokuFileList());
    }

    void tabsThroughTheControlsInOrder() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        QApplication::setActiveWindow(window.get());
        const QStringList expected{
            "Drive1",   "Dir1",      "File1",      "cmdTouroku", "lstTourokuFileList",
            "cmdAbout", "cmdDelete", "chkFileCopy"};
        window->Drive1()->setFocus();
        QStringList seen;
        for (int i = 0; i < expected.size(); ++i) {
            seen << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(seen, expected);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Drive1"));
    }

    void hasNoDefaultButtonAndEscapeDoesNotClose() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->isDefault());
        }
        // Enter presses the button that has the focus all the same.
        QSignalSpy deleteClicks(window->cmdDelete(), &QAbstractButton::clicked);
        window->cmdDelete()->setFocus();
        QTest::keyClick(window->cmdDelete(), Qt::Key_Return);
        QTest::keyClick(window->cmdDelete(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(deleteClicks.size(), 2);
        // Escape anywhere: the window stays open.
        window->cmdAbout()->setFocus();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(window->isVisible());
        QTest::keyClick(window->Drive1(), Qt::Key_Escape);
        QVERIFY(window->isVisible());
        // The close box still closes it.
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
    }

    void minimisesItselfWhileTheAboutWindowIsOpen() {
        Machine machine;
        auto window = machine.Open();
        QVERIFY(window);
        bool minimisedDuringAbout = false;
        bool aboutShown = false;
        QTimer::singleShot(0, [&] {
            QWidget* about = QApplication::activeModalWidget();
            aboutShown = about != nullptr && about != window.get();
            minimisedDuringAbout = window->isMinimized();
            if (about != nullptr)
                about->close();
        });
        QTest::mouseClick(window->cmdAbout(), Qt::LeftButton);
        QVERIFY(aboutShown);
        QVERIFY(minimisedDuringAbout);
    }

    void opensModallyFromExecAndLoadsFirst() {
        Machine machine;
        machine.WriteListFile(
            Machine::Lines({{Machine::DriveName("c"), machine.App(), "1"},
                            {machine.App(), "x.bmp", machine.App() + "x.bmp", "0"}}));
        frmKabegamiTouroku window(machine.module, machine.platform, nullptr);
        QStringList rowsWhenShown;
        QTimer::singleShot(0, [&] {
            rowsWhenShown = Rows(window.lstTourokuFileList());
            window.close();
        });
        window.exec();
        QCOMPARE(rowsWhenShown, QStringList{"x.bmp"});
    }
};

QTEST_MAIN(RegistrationWindowTest)
#include "RegistrationWindowTest.moc"
