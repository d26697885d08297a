// SPDX-License-Identifier: MIT
// The About window on a real X server with a window manager: the window manager must show it
// although the window it belongs to is minimised, and bring that window back afterwards; and
// where the registration window comes up once the window manager has framed it.
#include "DirListBox.h"
#include "FakePlatform.h"
#include "FileListBox.h"
#include "FrmVer.h"
#include "XWindows.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

using namespace velmora;

class FrmVerOnXTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void shownOverMinimisedRegistrationAndRestoresIt_data();
    void shownOverMinimisedRegistrationAndRestoresIt();
    void registrationCentredWithItsFrame();
    void closeBoxEndsARegistrationRun();
};

namespace {
// Centred on the screen with the frame the window manager drew, as the X server has it;
// seen tells what there is, for a failure.
bool CentredWithFrame(const QWidget& window, QString& seen) {
    const std::optional<QRect> frame = test::FrameOnScreen(QString::number(window.winId()));
    if (!frame) {
        seen = QStringLiteral("no frame announced");
        return false;
    }
    const QPoint offset = frame->center() - window.screen()->geometry().center();
    seen = QStringLiteral("frame at %1,%2 off the centre by %3,%4")
               .arg(frame->x())
               .arg(frame->y())
               .arg(offset.x())
               .arg(offset.y());
    return offset.manhattanLength() <= 2;
}
} // namespace

void FrmVerOnXTest::shownOverMinimisedRegistrationAndRestoresIt_data() {
    QTest::addColumn<bool>("byOk");
    QTest::newRow("OK") << true;
    QTest::newRow("Alt+F4") << false;
}

void FrmVerOnXTest::shownOverMinimisedRegistrationAndRestoresIt() {
    QFETCH(bool, byOk);
    test::FakePlatform platform;
    // the changer window and the registration window it opened, as in the program
    QWidget changer;
    changer.resize(72, 24);
    changer.show();
    QDialog registration(&changer);
    registration.resize(431, 345);
    registration.setModal(true);
    registration.show();
    QVERIFY(QTest::qWaitForWindowExposed(&registration));

    FrmVer about(platform, &registration);
    registration.setWindowState(registration.windowState() | Qt::WindowMinimized);
    bool exposed = false;
    bool registrationHidden = false;
    bool active = false;
    QTimer::singleShot(0, &about, [&] {
        exposed = QTest::qWaitForWindowExposed(&about);
        // centred with its frame, once the window manager has drawn it
        QString seen;
        QTRY_VERIFY2_WITH_TIMEOUT(CentredWithFrame(about, seen), qPrintable(seen), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!registration.windowHandle()->isExposed(), 30000);
        registrationHidden = true;
        QTRY_VERIFY_WITH_TIMEOUT(about.isActiveWindow(), 30000);
        active = true;
        if (byOk)
            QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("CmdOk")),
                              Qt::LeftButton);
        else // the window manager's own close binding, as the close box does
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("key"), QStringLiteral("alt+F4")});
    });
    QTimer::singleShot(120000, &about, [&] { about.done(QDialog::Rejected); });
    about.exec();
    QVERIFY(exposed);
    QVERIFY(registrationHidden);
    QVERIFY(active);
    QVERIFY(!about.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(registration.windowHandle()->isExposed(), 30000);
    QVERIFY(!(registration.windowState() & Qt::WindowMinimized));
}

// The registration window is centred as a whole, title bar included, not by its client area.
void FrmVerOnXTest::registrationCentredWithItsFrame() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    test::FakePlatform platform(dir.path());
    mdlKabegami module(platform);
    module.AppPath = module.GetAppPath();
    QWidget changer;
    changer.resize(72, 24);
    changer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&changer));
    QTRY_VERIFY_WITH_TIMEOUT(test::FrameOnScreen(QString::number(changer.winId())), 30000);
    // owned by no window, as the changer window opens it
    frmKabegamiTouroku registration(module, platform, nullptr);
    registration.setWindowModality(Qt::ApplicationModal);
    registration.show();
    QVERIFY(QTest::qWaitForWindowExposed(&registration));
    QString seen;
    QTRY_VERIFY2_WITH_TIMEOUT(CentredWithFrame(registration, seen), qPrintable(seen), 30000);
}

// The window is disabled while it registers, yet the window manager's close still reaches
// it: the run ends after the picture at hand and the window closes.
void FrmVerOnXTest::closeBoxEndsARegistrationRun() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    test::FakePlatform platform(dir.path() + QStringLiteral("/app"));
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/app/Pic")));
    const QString pics = dir.path() + QStringLiteral("/pics/");
    QVERIFY(QDir().mkpath(pics));
    for (int i = 0; i < 5; ++i)
        test::WritePicture(pics + QStringLiteral("p%1.bmp").arg(i), QSize(8, 8), Qt::red);
    mdlKabegami module(platform);
    module.AppPath = module.GetAppPath();
    frmKabegamiTouroku registration(module, platform, nullptr);
    registration.setWindowModality(Qt::ApplicationModal);
    registration.show();
    QVERIFY(QTest::qWaitForWindowExposed(&registration));
    QTRY_VERIFY_WITH_TIMEOUT(registration.isActiveWindow(), 30000);
    registration.Dir1()->SetPath(pics);
    registration.File1()->selectAll();

    bool closeSeen = false;
    struct CloseSpy : QObject {
        bool* seen;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Close)
                *seen = true;
            return false;
        }
    } spy;
    spy.seen = &closeSeen;
    registration.installEventFilter(&spy);
    int saved = 0;
    platform.beforeOperation = [&](const QString& operation, const QString&) {
        if (operation != u"WriteFileAtomically" || ++saved != 2)
            return;
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("key"), QStringLiteral("alt+F4")});
        // the close arrives while the second picture is saved
        QTRY_VERIFY_WITH_TIMEOUT(closeSeen, 30000);
    };
    registration.cmdTouroku_Click();
    QVERIFY(closeSeen);
    QCOMPARE(saved, 2);
    QCOMPARE(module.KabegamiList.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!registration.isVisible(), 30000);
}

QTEST_MAIN(FrmVerOnXTest)
#include "FrmVerOnXTest.moc"
