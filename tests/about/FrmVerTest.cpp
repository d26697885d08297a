// SPDX-License-Identifier: MIT
#include "FrmVer.h"
#include "FakePlatform.h"
#include "Twips.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace velmora;

namespace {

template <typename T = QWidget> T* Child(QWidget& form, const char* name) {
    T* w = form.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Opens the About window the way the registration window does, runs `whileOpen` once it
// is up, and returns when it has closed.
void OpenFromRegistration(test::FakePlatform& platform, QWidget& registration,
                          const std::function<void(FrmVer&)>& whileOpen) {
    FrmVer about(platform, &registration);
    registration.setWindowState(registration.windowState() | Qt::WindowMinimized);
    bool ran = false;
    QTimer::singleShot(0, &about, [&] {
        ran = true;
        whileOpen(about);
    });
    // Should the steps leave it open (a failed check), close it so the test goes on.
    QTimer::singleShot(5000, &about, [&] { about.done(QDialog::Rejected); });
    about.exec();
    QVERIFY(ran);
}

// WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette DarkPalette() {
    QPalette dark(QColor(53, 53, 53), QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    return dark;
}

} // namespace

class FrmVerTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void windowAndControls();
    void placeholdersReplacedBeforeShow();
    void okHoldsTheFocusTabReachesTheLinks();
    void centredOnScreen();
    void registrationMinimisedWhileOpenRestoredByOk();
    void registrationRestoredByCloseBox();
    void enterAndSpacePressOk_data();
    void enterAndSpacePressOk();
    void escapeDoesNothing();
    void linksOpenAddressesEveryTime();
    void linksNeedAFullClick();
    void linksForPointerAndScreenReader();
    void everyTextReadableInLightAndDarkThemes_data();
    void everyTextReadableInLightAndDarkThemes();
};

void FrmVerTest::windowAndControls() {
    test::FakePlatform platform;
    QWidget registration;
    FrmVer about(platform, &registration);

    QCOMPARE(about.windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(about.size(), QSize(362, 226));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    const Qt::WindowFlags flags = about.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(about.parentWidget(), &registration); // a transient: no taskbar entry
    QVERIFY(!about.windowIcon().isNull());

    struct Expected {
        const char* name;
        QString text;
        QRect geometry;
        QColor colour;
        bool bold;
        double points;
    };
    const QColor purple(128, 0, 128), darkBlue(0, 0, 192), blue(0, 0, 255);
    const QColor normal = about.palette().color(QPalette::WindowText);
    const QList<Expected> labels = {
        {"Label4", QStringLiteral("ＣＤ-ＲＯＭ／リムーバブルディスク対応"), QRect(16, 16, 337, 25),
         purple, true, 11.25},
        {"Label5", QStringLiteral("Velmora"), QRect(16, 32, 337, 25), purple, true, 11.25},
        {"Label1", QStringLiteral("Mosswick"), QRect(136, 64, 105, 25), darkBlue, true, 18},
        {"Label3", QStringLiteral("Ver.0.7"), QRect(240, 72, 81, 17), normal, true, 11.25},
        {"Label2", QStringLiteral("Mosswick 2025-2026"), QRect(152, 96, 169, 17), normal, true, 12},
        {"lblURL", QStringLiteral("https://www.example.com/velmora/"), QRect(32, 144, 313, 17),
         blue, false, 9},
    };
    for (const Expected& e : labels) {
        auto* label = Child<QLabel>(about, e.name);
        QCOMPARE(label->text(), e.text);
        QCOMPARE(label->geometry(), e.geometry);
        QCOMPARE(label->palette().color(QPalette::WindowText), e.colour);
        QCOMPARE(label->font().bold(), e.bold);
        QCOMPARE(label->font().pointSizeF(), e.points);
    }
    QVERIFY(Child<QLabel>(about, "lblURL")->font().underline());
    QVERIFY(Child<QLabel>(about, "Label4")
                ->font()
                .families()
                .contains(QStringLiteral("ＭＳ ゴシック")));
    QVERIFY(Child<QLabel>(about, "Label2")
                ->font()
                .families()
                .contains(QStringLiteral("ＭＳ Ｐゴシック")));

    auto* mail = Child<QLabel>(about, "lblMail");
    QCOMPARE(mail->text(), QStringLiteral("velmora@example.com"));
    QCOMPARE(mail->geometry(), QRect(32, 160, 185, 17));
    QCOMPARE(mail->palette().color(QPalette::WindowText), blue);
    QVERIFY(!mail->font().underline());
    QCOMPARE(mail->font().pointSizeF(), about.font().pointSizeF());

    auto* image = Child<QLabel>(about, "Image1");
    QCOMPARE(image->geometry(), QRect(32, 64, 93, 53));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->pixmap().size(), QSize(340, 425));

    auto* ok = Child<QPushButton>(about, "CmdOk");
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(ok->geometry(), QRect(264, 176, 81, 33));
    QCOMPARE(ok->font().family(), QStringLiteral("Times New Roman"));
    QVERIFY(ok->font().bold());
    QCOMPARE(ok->font().pointSizeF(), 12.0);
}

void FrmVerTest::placeholdersReplacedBeforeShow() {
    test::FakePlatform platform;
    QWidget registration;
    FrmVer about(platform, &registration);
    auto* url = Child<QLabel>(about, "lblURL");
    auto* mail = Child<QLabel>(about, "lblMail");
    QVERIFY(!about.isVisible());
    QCOMPARE(url->text(), FrmVer::WebPageAddress.toString());
    QCOMPARE(mail->text(), FrmVer::MailAddress.toString());

    // and they stay so when the window comes up
    QStringList seen;
    QTimer::singleShot(0, &about, [&] {
        seen << url->text() << mail->text();
        about.close();
    });
    about.exec();
    QCOMPARE(seen,
             QStringList({FrmVer::WebPageAddress.toString(), FrmVer::MailAddress.toString()}));
}

void FrmVerTest::okHoldsTheFocusTabReachesTheLinks() {
    test::FakePlatform platform;
    QWidget registration;
    registration.show();
    OpenFromRegistration(platform, registration, [&](FrmVer& about) {
        auto* ok = Child<QPushButton>(about, "CmdOk");
        QWidget* url = Child(about, "lblURL");
        QWidget* mail = Child(about, "lblMail");
        for (QWidget* w : about.findChildren<QWidget*>()) {
            if (w != ok && w != url && w != mail)
                QCOMPARE(w->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(ok->focusPolicy(), Qt::StrongFocus);
        QVERIFY(!ok->isDefault());
        QVERIFY(!ok->autoDefault());
        QTRY_COMPARE(QApplication::focusWidget(), ok);
        // Tab walks OK, the web link, the mail link and back; Enter and space follow a link.
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), url);
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), mail);
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Space);
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ok);
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), mail);
        QVERIFY(about.isVisible()); // following a link leaves the window open
        about.close();
    });
    QCOMPARE(platform.openedUrls,
             QStringList({"https://www.example.com/velmora/", "mailto:velmora@example.com"}));
}

void FrmVerTest::centredOnScreen() {
    test::FakePlatform platform;
    QWidget registration;
    registration.setGeometry(10, 10, 200, 150); // away from the centre
    registration.show();
    OpenFromRegistration(platform, registration, [](FrmVer& about) {
        const QRect screen = about.screen()->geometry();
        const QPoint offset = about.frameGeometry().center() - screen.center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
        about.close();
    });
}

void FrmVerTest::registrationMinimisedWhileOpenRestoredByOk() {
    test::FakePlatform platform;
    QWidget registration;
    registration.show();
    for (int opening = 0; opening < 2; ++opening) { // every opening does the whole dance
        Qt::WindowStates stateWhileOpen;
        OpenFromRegistration(platform, registration, [&](FrmVer& about) {
            stateWhileOpen = registration.windowState();
            QVERIFY(about.isVisible());
            QTest::mouseClick(Child(about, "CmdOk"), Qt::LeftButton);
            QVERIFY(!about.isVisible());
        });
        QVERIFY(stateWhileOpen & Qt::WindowMinimized);
        QVERIFY(!(registration.windowState() & Qt::WindowMinimized));
        QVERIFY(registration.isVisible());
    }
}

void FrmVerTest::registrationRestoredByCloseBox() {
    test::FakePlatform platform;
    QWidget registration;
    registration.show();
    int minimisedWhileOpen = 0;
    OpenFromRegistration(platform, registration, [&](FrmVer& about) {
        minimisedWhileOpen = registration.windowState().testFlag(Qt::WindowMinimized);
        about.close(); // what the close box and Alt+F4 do
    });
    QCOMPARE(minimisedWhileOpen, 1);
    QVERIFY(!(registration.windowState() & Qt::WindowMinimized));

    // Restoring happens once per closing: a later hide of the closed window changes nothing.
    FrmVer about(platform, &registration);
    registration.setWindowState(Qt::WindowMinimized);
    QTimer::singleShot(0, &about, [&] { about.reject(); });
    about.exec();
    QVERIFY(!(registration.windowState() & Qt::WindowMinimized));
    registration.setWindowState(Qt::WindowMinimized);
    about.hide();
    QVERIFY(registration.windowState() & Qt::WindowMinimized);
}

void FrmVerTest::enterAndSpacePressOk_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("space") << int(Qt::Key_Space);
}

void FrmVerTest::enterAndSpacePressOk() {
    QFETCH(int, key);
    test::FakePlatform platform;
    QWidget registration;
    registration.show();
    bool closedByKey = false;
    OpenFromRegistration(platform, registration, [&](FrmVer& about) {
        auto* ok = Child<QPushButton>(about, "CmdOk");
        int clicks = 0;
        connect(ok, &QPushButton::clicked, &about, [&] { ++clicks; });
        QTRY_COMPARE(QApplication::focusWidget(), ok);
        const Qt::KeyboardModifiers modifiers =
            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(static_cast<QWidget*>(nullptr), static_cast<Qt::Key>(key), modifiers);
        QCOMPARE(clicks, 1);
        closedByKey = !about.isVisible();
    });
    QVERIFY(closedByKey);
    QVERIFY(!(registration.windowState() & Qt::WindowMinimized));
}

void FrmVerTest::escapeDoesNothing() {
    test::FakePlatform platform;
    QWidget registration;
    registration.show();
    OpenFromRegistration(platform, registration, [&](FrmVer& about) {
        QTRY_COMPARE(QApplication::focusWidget(), Child(about, "CmdOk"));
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Escape);
        QTest::keyClick(&about, Qt::Key_Escape); // also when the window itself gets it
        QCoreApplication::processEvents();
        QVERIFY(about.isVisible());
        QVERIFY(registration.windowState() & Qt::WindowMinimized);
        about.close();
    });
}

void FrmVerTest::linksOpenAddressesEveryTime() {
    test::FakePlatform platform;
    QWidget registration;
    registration.show();
    OpenFromRegistration(platform, registration, [&](FrmVer& about) {
        QTest::mouseClick(Child(about, "lblURL"), Qt::LeftButton);
        QTest::mouseClick(Child(about, "lblMail"), Qt::LeftButton);
        // A second click asks again: the desktop reuses an open browser or mail program.
        QTest::mouseClick(Child(about, "lblURL"), Qt::LeftButton);
        QTest::mouseClick(Child(about, "lblMail"), Qt::LeftButton);
        QVERIFY(about.isVisible()); // the window stays, no message
        QVERIFY(platform.msgBoxes.isEmpty());
        about.close();
    });
    QCOMPARE(platform.openedUrls,
             QStringList({"https://www.example.com/velmora/", "mailto:velmora@example.com",
                          "https://www.example.com/velmora/", "mailto:velmora@example.com"}));
}

void FrmVerTest::linksNeedAFullClick() {
    test::FakePlatform platform;
    QWidget registration;
    FrmVer about(platform, &registration);
    about.show();
    QWidget* url = Child(about, "lblURL");
    // pressed on the link but let go elsewhere, or clicked with the right button: no click
    QTest::mousePress(url, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(url, Qt::LeftButton, {}, QPoint(-20, 5));
    QTest::mouseClick(url, Qt::RightButton);
    QVERIFY(platform.openedUrls.isEmpty());
    QTest::mouseClick(url, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(platform.openedUrls, QStringList{"https://www.example.com/velmora/"});
    about.close();
}

void FrmVerTest::linksForPointerAndScreenReader() {
    test::FakePlatform platform;
    QWidget registration;
    FrmVer about(platform, &registration);
    struct Link {
        const char* name;
        QString shown;
        QString url;
    };
    const QList<Link> links = {
        {"lblURL", "https://www.example.com/velmora/", "https://www.example.com/velmora/"},
        {"lblMail", "velmora@example.com", "mailto:velmora@example.com"}};
    for (const auto& [name, shown, url] : links) {
        QWidget* link = Child(about, name);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(link);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::Link);
        QCOMPARE(iface->text(QAccessible::Name), shown);
        QVERIFY(!iface->text(QAccessible::Description).isEmpty());
        QVERIFY(iface->state().linked);
        QAccessibleActionInterface* action = iface->actionInterface();
        QVERIFY(action);
        QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
        platform.openedUrls.clear();
        action->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(platform.openedUrls, QStringList{url});
    }
    // the other labels keep the pointer of the window
    QCOMPARE(Child(about, "Label2")->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!Child(about, "Image1")->accessibleName().isEmpty());
}

void FrmVerTest::everyTextReadableInLightAndDarkThemes_data() {
    QTest::addColumn<QPalette>("theme");
    QTest::newRow("light") << QPalette(QColor(239, 239, 239));
    QTest::newRow("dark") << DarkPalette();
}

void FrmVerTest::everyTextReadableInLightAndDarkThemes() {
    QFETCH(QPalette, theme);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(theme);
    test::FakePlatform platform;
    QWidget registration;
    FrmVer about(platform, &registration);
    QApplication::setPalette(before);
    QStringList unreadable;
    for (const QWidget* w : about.findChildren<QWidget*>()) {
        QString text;
        QColor ground;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            text = label->text();
            const QWidget* filled =
                label->autoFillBackground() ? static_cast<const QWidget*>(label) : &about;
            ground = filled->palette().color(filled->backgroundRole());
        } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
            text = button->text();
            ground = button->palette().color(QPalette::Button);
        }
        if (text.isEmpty())
            continue;
        const double ratio = Contrast(w->palette().color(w->foregroundRole()), ground);
        if (ratio < 4.5)
            unreadable << QStringLiteral("%1 %2:1").arg(w->objectName()).arg(ratio, 0, 'f', 2);
    }
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(QStringLiteral(", "))));
}

QTEST_MAIN(FrmVerTest)
#include "FrmVerTest.moc"
