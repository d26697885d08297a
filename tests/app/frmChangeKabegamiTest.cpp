// SPDX-License-Identifier: MIT
// The changer window on the offscreen platform, clicked with the mouse and the keyboard.
#include "frmChangeKabegami.h"
#include "FakePlatform.h"
#include "LinuxPlatform.h"
#include "PictureFiles.h"
#include "PlatformError.h"
#include "QtEntries.h"
#include "mdlKabegami.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace velmora;
using velmora::test::Described;
using velmora::test::FakePlatform;
using velmora::test::WritePicture;

namespace {

// Pictures go through the program's real loader and bitmap writer.
class RealPicturesPlatform : public FakePlatform {
  public:
    using FakePlatform::FakePlatform;
    PictureInfo LoadPicture(const std::string& path) override {
        FakePlatform::LoadPicture(path); // keeps the fault hook
        const linux_impl::PictureFile file = linux_impl::ReadPictureHeader(FromUtf8(path));
        return {path, file.kind, file.size.width(), file.size.height()};
    }
    void SavePicture(const PictureInfo& picture, const std::string& bmpPath) override {
        linux_impl::WriteBitmapFile(
            {FromUtf8(picture.Path), picture.Kind, QSize(picture.Width, picture.Height)},
            FromUtf8(bmpPath));
    }
};

// A start that cannot know its folder, or cannot tell whether it runs there already.
class StartFailingPlatform : public FakePlatform {
  public:
    using FakePlatform::FakePlatform;
    bool folderUnnamed = false;
    std::string AppFolder() override {
        if (folderUnnamed)
            throw PlatformError(Err::BadFileName, QStringLiteral("フォルダ名「caf\\xE9」"));
        return FakePlatform::AppFolder();
    }
    bool PrevInstance(const std::string&) override { throw PlatformError(Err::PermissionDenied); }
};

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class frmChangeKabegamiTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<RealPicturesPlatform> platform_;
    std::unique_ptr<mdlKabegami> module_;
    std::unique_ptr<frmChangeKabegami> form_;

    QString App() const { return dir_.path() + "/app/"; }
    QString Pictures() const { return dir_.path() + "/pictures/"; }
    QPushButton* Button(const char* name) const {
        return form_->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // A list file naming the pictures red.bmp, green.jpg and blue.bmp, in that order.
    void WriteThreeEntryList() {
        QByteArray bytes = "/ [root]," + App().toUtf8() + ",1\r\n";
        for (const char* name : {"red.bmp", "green.jpg", "blue.bmp"})
            bytes += Pictures().toUtf8() + "," + name + "," + Pictures().toUtf8() + name + ",0\r\n";
        WriteBytes(App() + "Kabegamilist.def", bytes);
    }

    QColor AppliedColour() const {
        const QImage image(App() + QStringLiteral("Mosswick壁紙.BMP"));
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }

    void StartProgram() {
        QVERIFY(form_->Form_Load());
        form_->show();
        form_->Form_Activate();
    }

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(Pictures()));
        WritePicture(Pictures() + "red.bmp", QSize(64, 48), Qt::red);
        WritePicture(Pictures() + "green.jpg", QSize(48, 64), Qt::green);
        WritePicture(Pictures() + "blue.bmp", QSize(40, 40), Qt::blue);
    }

    void init() {
        QDir(App()).removeRecursively();
        QVERIFY(QDir().mkpath(App()));
        platform_ = std::make_unique<RealPicturesPlatform>(QDir::cleanPath(App()));
        module_ = std::make_unique<mdlKabegami>(*platform_);
        form_ = std::make_unique<frmChangeKabegami>(*module_, *platform_);
    }

    void cleanup() { form_.reset(); }

    void windowHasItsLayout() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Mosswick"));
        QCOMPARE(form_->size(), QSize(72, 24));
        QCOMPARE(Button("cmgGoPrev")->geometry(), QRect(0, 0, 25, 25));
        QCOMPARE(Button("cmdGoNext")->geometry(), QRect(24, 0, 25, 25));
        QCOMPARE(Button("cmdTouroku")->geometry(), QRect(48, 0, 25, 25));
        QCOMPARE(Button("cmgGoPrev")->text(), QStringLiteral("<"));
        QCOMPARE(Button("cmdGoNext")->text(), QStringLiteral(">"));
        QVERIFY(Button("cmgGoPrev")->font().bold());
        QCOMPARE(Button("cmgGoPrev")->font().pointSizeF(), 9.75);
        QCOMPARE(Button("cmdTouroku")->nextInFocusChain(), Button("cmgGoPrev"));
        QCOMPARE(Button("cmgGoPrev")->nextInFocusChain(), Button("cmdGoNext"));
        // Screen readers hear what the arrows do, and how to remove the wallpaper.
        for (const auto& [name, spoken] :
             {std::pair{"cmgGoPrev", "前の壁紙"}, std::pair{"cmdGoNext", "次の壁紙"}}) {
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(Button(name));
            QVERIFY(button);
            QCOMPARE(button->text(QAccessible::Name), QString::fromUtf8(spoken));
            QVERIFY(
                button->text(QAccessible::Description).contains(QStringLiteral("壁紙を外します")));
            QVERIFY(Button(name)->toolTip().startsWith(QString::fromUtf8(spoken)));
        }
        const Qt::WindowFlags flags = form_->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
    }

    void startUpSetsDefaultsPlacesWindowAndMakesPicFolder() {
        platform_->workArea = QRect(0, 0, 1024, 740); // a 28-pixel panel at the bottom
        StartProgram();
        QVERIFY(QFileInfo(App() + "Pic").isDir());
        QVERIFY(platform_->msgBoxes.isEmpty());
        QCOMPARE(FromUtf8(module_->AppPath), App());
        QCOMPARE(FromUtf8(module_->LastFolder), App());
        QCOMPARE(FromUtf8(module_->LastDrive), QStringLiteral("/ [root]"));
        QCOMPARE(FromUtf8(module_->FileCopySetting), QStringLiteral("1"));
        QCOMPARE(form_->frameGeometry().bottomLeft() + QPoint(0, 1), QPoint(0, 740));
        QCOMPARE(form_->CurrentIndex, -1);
    }

    void secondInstanceEndsBeforeDoingAnything() {
        platform_->prevInstance = true;
        QVERIFY(!form_->Form_Load());
        QVERIFY(!QFileInfo::exists(App() + "Pic"));
        QVERIFY(module_->AppPath.empty());
    }

    void picFolderFailureIsReportedAndStartUpGoesOn() {
        QVERIFY(QDir().mkpath(App() + "Pic")); // exists already: silent
        QVERIFY(form_->Form_Load());
        QVERIFY(platform_->msgBoxes.isEmpty());

        platform_->beforeOperation = [](const QString& op, const QString&) {
            if (op == "MkDir")
                throw PlatformError(Err::PermissionDenied);
        };
        QVERIFY(form_->Form_Load());
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY(platform_->msgBoxes[0].text.startsWith("70:"));
        QCOMPARE(platform_->msgBoxes[0].title, QStringLiteral("エラー"));
        QCOMPARE(FromUtf8(module_->FileCopySetting), QStringLiteral("1"));
    }

    void stepsForwardAndBackwardWithWrapAround() {
        WriteThreeEntryList();
        StartProgram();
        const QString bitmap = App() + QStringLiteral("Mosswick壁紙.BMP");

        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 0);
        QCOMPARE(AppliedColour(), QColor(Qt::red));
        QCOMPARE(platform_->wallpapers.size(), 1);
        QCOMPARE(platform_->wallpapers[0].path, bitmap);
        QCOMPARE(platform_->wallpapers[0].flags, 0);
        QCOMPARE(FromUtf8(form_->CurrentKabegamiFile), bitmap);
        QVERIFY(form_->KabegamiChanged);

        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 1);
        const QColor green = AppliedColour();
        QVERIFY2(green.green() > 240 && green.red() < 16 && green.blue() < 16,
                 qPrintable(green.name())); // from a JPEG
        QCOMPARE(QImage(bitmap).size(), QSize(48, 64));

        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 0); // wrapped to the first
        QTest::mouseClick(Button("cmgGoPrev"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 2); // wrapped to the last
        QCOMPARE(AppliedColour(), QColor(Qt::blue));
        QCOMPARE(platform_->wallpapers.size(), 5);
    }

    void firstStepBackAppliesTheLastEntry() {
        WriteThreeEntryList();
        StartProgram();
        QTest::mouseClick(Button("cmgGoPrev"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 2);
        QCOMPARE(AppliedColour(), QColor(Qt::blue));
    }

    void ctrlAloneRemovesTheWallpaperOtherModifiersStep() {
        WriteThreeEntryList();
        StartProgram();
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(form_->CurrentIndex, 0);
        QCOMPARE(platform_->wallpapers.back().path, QString());
        QCOMPARE(FromUtf8(form_->CurrentKabegamiFile), QString());
        QVERIFY(!form_->CtrlDown); // cleared by the release

        // Ctrl with Shift is an ordinary step, and goes on from before the removal.
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton,
                          Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form_->CurrentIndex, 1);
        QTest::mouseClick(Button("cmgGoPrev"), Qt::LeftButton,
                          Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(form_->CurrentIndex, 0);
        QTest::mouseClick(Button("cmgGoPrev"), Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(form_->CurrentIndex, 0); // a right button does not click
        QTest::mouseClick(Button("cmgGoPrev"), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(form_->CurrentIndex, 0);
        QCOMPARE(platform_->wallpapers.back().path, QString());
    }

    // Space and Enter press the focused button; with Ctrl alone they remove the wallpaper,
    // as Ctrl+click does, and the next plain press is an ordinary step again.
    void keyboardPressesTheFocusedButton_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("removes");
        QTest::newRow("space") << int(Qt::Key_Space) << Qt::KeyboardModifiers() << false;
        QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << false;
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << false;
        QTest::newRow("Shift+space")
            << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+space")
            << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Enter")
            << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Alt+Enter")
            << int(Qt::Key_Return) << (Qt::ControlModifier | Qt::AltModifier) << false;
    }
    void keyboardPressesTheFocusedButton() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, removes);
        WriteThreeEntryList();
        StartProgram();
        const QString bitmap = App() + QStringLiteral("Mosswick壁紙.BMP");
        for (QPushButton* button : {Button("cmdGoNext"), Button("cmgGoPrev")}) {
            QVERIFY(!button->isDefault() && !button->autoDefault());
            button->setFocus();
            const int before = form_->CurrentIndex;
            QTest::keyClick(button, static_cast<Qt::Key>(key), modifiers);
            QCOMPARE(platform_->wallpapers.back().path, removes ? QString() : bitmap);
            QCOMPARE(form_->CurrentIndex == before, removes);
            QVERIFY(!form_->CtrlDown);
        }
        QTest::keyClick(Button("cmgGoPrev"), Qt::Key_Space);
        QCOMPARE(platform_->wallpapers.back().path, bitmap);
    }

    // The removal question and the error report answer to the keys of the system's own
    // Japanese boxes.
    void messageBoxesAnswerToTheirKeys_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("answer");
        const int question =
            MsgBoxStyle::YesNo | MsgBoxStyle::Question | MsgBoxStyle::DefaultButton2;
        const Qt::KeyboardModifiers none;
        QTest::newRow("Y") << question << int(Qt::Key_Y) << none << MsgBoxResult::Yes;
        QTest::newRow("Alt+Y") << question << int(Qt::Key_Y)
                               << Qt::KeyboardModifiers(Qt::AltModifier) << MsgBoxResult::Yes;
        QTest::newRow("N") << question << int(Qt::Key_N) << none << MsgBoxResult::No;
        QTest::newRow("Alt+N") << question << int(Qt::Key_N)
                               << Qt::KeyboardModifiers(Qt::AltModifier) << MsgBoxResult::No;
        QTest::newRow("Escape") << question << int(Qt::Key_Escape) << none << MsgBoxResult::No;
        QTest::newRow("Enter, second default")
            << question << int(Qt::Key_Return) << none << MsgBoxResult::No;
        QTest::newRow("error, Escape")
            << int(MsgBoxStyle::Critical) << int(Qt::Key_Escape) << none << MsgBoxResult::Ok;
    }
    void messageBoxesAnswerToTheirKeys() {
        QFETCH(int, style);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, answer);
        LinuxPlatform platform;
        QStringList captions;
        bool unanswered = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            for (const QAbstractButton* button : box->findChildren<QAbstractButton*>())
                captions << button->text();
            QTRY_COMPARE(QApplication::activeWindow(), box);
            QTest::keyClick(box, static_cast<Qt::Key>(key), modifiers);
            // a box the key did not answer must not hold up the test
            QTimer::singleShot(5000, box, [box, &unanswered] {
                unanswered = true;
                box->close();
            });
        });
        QCOMPARE(platform.MsgBox("text", style, "title"), answer);
        QVERIFY(!unanswered);
        if (style & MsgBoxStyle::YesNo) {
            QVERIFY(captions.contains(QStringLiteral("はい(&Y)")));
            QVERIFY(captions.contains(QStringLiteral("いいえ(&N)")));
        }
    }

    void emptyListChangesNothing() {
        StartProgram();
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QTest::mouseClick(Button("cmgGoPrev"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, -1);
        QVERIFY(platform_->wallpapers.isEmpty());
        QVERIFY(platform_->msgBoxes.isEmpty());
        QVERIFY(!QFileInfo::exists(App() + "Kabegamilist.def"));
    }

    void missingPictureIsSilentOtherFailuresAreReported() {
        WriteThreeEntryList();
        StartProgram();
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton); // red applied
        QFile::rename(Pictures() + "green.jpg", Pictures() + "green.moved");
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QFile::rename(Pictures() + "green.moved", Pictures() + "green.jpg");
        QCOMPARE(form_->CurrentIndex, 1); // moved on all the same
        QVERIFY(platform_->msgBoxes.isEmpty());
        QCOMPARE(platform_->wallpapers.size(), 1);
        QCOMPARE(AppliedColour(), QColor(Qt::red));

        // Not a picture: reported, nothing changes.
        WriteBytes(Pictures() + "fake.bmp", "this is not a picture");
        KabegamiEntry third = ToEntry(module_->KabegamiList[2]);
        third.KabegamiPath = ToUtf8(Pictures() + "fake.bmp");
        module_->KabegamiList = {module_->KabegamiList[0], module_->KabegamiList[1], third};
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QCOMPARE(platform_->msgBoxes.size(), 1);
        QVERIFY2(platform_->msgBoxes[0].text.startsWith("481:"),
                 qPrintable(platform_->msgBoxes[0].text));
        QCOMPARE(platform_->msgBoxes[0].title, QStringLiteral("エラー"));
        QCOMPARE(platform_->wallpapers.size(), 1);
        QCOMPARE(AppliedColour(), QColor(Qt::red));
        QCOMPARE(form_->CurrentIndex, 2);
    }

    void stepBackOnAShrunkListTakesTheLastEntry() {
        WriteThreeEntryList();
        StartProgram();
        form_->CurrentIndex = 7;
        QTest::mouseClick(Button("cmgGoPrev"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 2);
        form_->CurrentIndex = 7;
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QCOMPARE(form_->CurrentIndex, 0);
    }

    void closingStoresTheLastChoiceOnlyAfterAChange() {
        WriteThreeEntryList();
        StartProgram();
        form_->close();
        QVERIFY(platform_->wallpapers.isEmpty());

        init();
        WriteThreeEntryList();
        StartProgram();
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        form_->close();
        QCOMPARE(platform_->wallpapers.back().flags, 3);
        QCOMPARE(platform_->wallpapers.back().path, App() + QStringLiteral("Mosswick壁紙.BMP"));

        init();
        WriteThreeEntryList();
        StartProgram();
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton, Qt::ControlModifier);
        form_->close();
        QCOMPARE(platform_->wallpapers.back().flags, 3);
        QCOMPARE(platform_->wallpapers.back().path, QString());
        QVERIFY(QFileInfo::exists(App() + QStringLiteral("Mosswick壁紙.BMP")));
    }

    void aStartThatCannotGoOnSaysWhyAndTouchesNothing() {
        const QString app = dir_.path() + "/locked/";
        QVERIFY(QDir().mkpath(app));
        for (const bool folderUnnamed : {true, false}) {
            StartFailingPlatform platform(app);
            platform.folderUnnamed = folderUnnamed;
            mdlKabegami module(platform);
            frmChangeKabegami form(module, platform);
            QVERIFY(!form.Form_Load());
            QVERIFY(form.StartFailed());
            QCOMPARE(platform.msgBoxes.size(), 1);
            QCOMPARE(platform.msgBoxes[0].title, QStringLiteral("エラー"));
            QCOMPARE(platform.msgBoxes[0].style, 16);
            const QString text = platform.msgBoxes[0].text;
            if (folderUnnamed)
                QCOMPARE(text, QStringLiteral("52:フォルダ名「caf\\xE9」"));
            else
                QVERIFY2(text.contains(app.chopped(1)) &&
                             text.endsWith(QStringLiteral("70:") + Described(70)),
                         qPrintable(text));
            QVERIFY(!QFileInfo::exists(app + "Pic"));
            QVERIFY(platform.wallpapers.isEmpty());
        }
    }

    void listIsReloadedWhenTheRegistrationWindowCloses() {
        StartProgram();
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QVERIFY(platform_->wallpapers.isEmpty());
        // While the registration window is open, the list file gains three entries.
        QTimer::singleShot(0, this, [this]() {
            WriteThreeEntryList();
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            modal->close();
        });
        QTest::mouseClick(Button("cmdTouroku"), Qt::LeftButton);
        QCOMPARE(module_->KabegamiList.size(), 3);
        QTest::mouseClick(Button("cmdGoNext"), Qt::LeftButton);
        QCOMPARE(AppliedColour(), QColor(Qt::red));
    }
};

QTEST_MAIN(frmChangeKabegamiTest)
#include "frmChangeKabegamiTest.moc"
