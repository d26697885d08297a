// SPDX-License-Identifier: MIT
#include "wallpaper/UnsupportedWallpaper.h"
#include "LinuxPlatform.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "QtText.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

// How many of the steps threw, and the first error seen.
struct Outcome {
    int thrown = 0;
    int number = 0;
    QString description;
};

template <typename SetFunction> Outcome RunSteps(SetFunction set) {
    Outcome outcome;
    const QList<std::pair<QString, int>> steps{{QStringLiteral("/tmp/a.BMP"), 0},
                                               {QString(), 0},
                                               {QStringLiteral("/tmp/a.BMP"), 0},
                                               {QStringLiteral("/tmp/a.BMP"), 3}};
    for (const auto& [path, flags] : steps) {
        try {
            set(path, flags);
        } catch (const PlatformError& e) {
            if (outcome.thrown++ == 0) {
                outcome.number = e.Number;
                outcome.description = QString::fromStdString(e.Description);
            }
        }
    }
    return outcome;
}

bool IsJapanese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3040 && c.unicode() <= 0x30ff)
            return true;
    }
    return false;
}

} // namespace

class UnsupportedWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // The tests change this process's desktop environment only, but they must not find
        // a real desktop: run them in ctest's private session.
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(emptyData_.isValid());
    }

    // The user hears once why nothing changes; later steps neither repeat it nor crash.
    void reportsOnceThenStaysQuiet() {
        UnsupportedWallpaper wallpaper;
        const Outcome outcome =
            RunSteps([&](const QString& path, int flags) { wallpaper.Set(path, flags); });
        QCOMPARE(outcome.thrown, 1);
        QCOMPARE(outcome.number, Err::NotSupported);
        QVERIFY2(IsJapanese(outcome.description), qPrintable(outcome.description));
        QVERIFY(outcome.description != QString::fromStdString(ErrorDescription(Err::NotSupported)));
    }

    void carriesTheReasonGiven() {
        UnsupportedWallpaper wallpaper(
            PlatformError(Err::PermissionDenied, QStringLiteral("設定がロックされています。")));
        const Outcome outcome =
            RunSteps([&](const QString& path, int flags) { wallpaper.Set(path, flags); });
        QCOMPARE(outcome.thrown, 1);
        QCOMPARE(outcome.number, Err::PermissionDenied);
        QCOMPARE(outcome.description, QStringLiteral("設定がロックされています。"));
    }

    // A session whose desktop nobody knows (an unknown Wayland compositor).
    void unknownSessionThroughPlatform() {
        qputenv("XDG_CURRENT_DESKTOP", "Velmora-Unknown-Compositor");
        qputenv("WAYLAND_DISPLAY", "wayland-velmora-test");
        qputenv("XDG_SESSION_TYPE", "wayland");
        for (const char* name : {"XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_SESSION_VERSION",
                                 "SWAYSOCK", "HYPRLAND_INSTANCE_SIGNATURE", "DISPLAY"})
            qunsetenv(name);
        LinuxPlatform platform;
        const Outcome outcome = RunSteps([&](const QString& path, int flags) {
            platform.SetDeskWallpaper(ToUtf8(path), flags);
        });
        QCOMPARE(outcome.thrown, 1);
        QCOMPARE(outcome.number, Err::NotSupported);
        QVERIFY2(IsJapanese(outcome.description), qPrintable(outcome.description));
    }

    // The desktop's own way cannot be prepared (GNOME without its settings schema): the
    // reason reaches the user at the first step, and only there.
    void failedPreparationReportedOnce() {
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("XDG_DATA_DIRS", QFile::encodeName(emptyData_.path()));
        qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(emptyData_.path()));
        LinuxPlatform platform;
        const Outcome outcome = RunSteps([&](const QString& path, int flags) {
            platform.SetDeskWallpaper(ToUtf8(path), flags);
        });
        QCOMPARE(outcome.thrown, 1);
        QCOMPARE(outcome.number, Err::NotSupported);
        QVERIFY2(IsJapanese(outcome.description), qPrintable(outcome.description));
    }

  private:
    QTemporaryDir emptyData_;
};

QTEST_MAIN(UnsupportedWallpaperTest)
#include "UnsupportedWallpaperTest.moc"
