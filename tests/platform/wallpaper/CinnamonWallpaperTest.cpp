// SPDX-License-Identifier: MIT
#include "wallpaper/CinnamonWallpaper.h"
#include "Platform.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SettingsTestSupport.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gio/gio.h>

using namespace velmora;
using namespace velmora::linux_impl;
using namespace velmora::test;

namespace {

constexpr const char* kSchema = "org.cinnamon.desktop.background";

QString Read(const char* key, const char* schema = kSchema) {
    return ReadKey(schema, key);
}
void Write(const char* key, const char* value) {
    WriteKey(kSchema, key, value);
}
QString ReadInChild(const char* key) {
    return ReadKeyInChild(kSchema, key);
}

QString FileOf(const QString& uri) {
    return QUrl(uri).toLocalFile();
}

} // namespace

class CinnamonWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // These tests change desktop settings: only in the private session ctest gives them.
        if (const QString why = velmora::test::NotInPrivateSession({.dbus = true, .dconf = true});
            !why.isEmpty())
            QSKIP(qPrintable(why));
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        GSettingsSchema* schema =
            source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
        if (!schema)
            QSKIP("the org.cinnamon.desktop.background schema (cinnamon-desktop-data) is not "
                  "installed");
        g_settings_schema_unref(schema);
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
        alternate_ = dir_.filePath(QStringLiteral(".Mosswick壁紙-alt.BMP"));
    }

    void init() {
        GSettings* settings = g_settings_new(kSchema);
        for (const char* key : {"picture-uri", "picture-options"})
            g_settings_reset(settings, key);
        g_object_unref(settings);
        g_settings_sync();
    }

    // The factory picks this way on Cinnamon; steps reach the store other programs read,
    // each under a new name holding the new picture, and GNOME's keys stay as they were.
    void stepsReachSettingsStoreUnderNewNames() {
        qputenv("XDG_CURRENT_DESKTOP", "X-Cinnamon");
        const auto wallpaper = CreateDesktopWallpaper();
        QVERIFY(dynamic_cast<CinnamonWallpaper*>(wallpaper.get()));
        const QString gnomeUri = Read("picture-uri", "org.gnome.desktop.background");

        QString previous;
        for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
            const QByteArray bytes = WriteBmp(path_, colour);
            QVERIFY(!bytes.isEmpty());
            wallpaper->Set(path_, WallpaperFlags::SessionOnly);

            const QString uri = Read("picture-uri");
            QVERIFY2(uri.startsWith(QLatin1String("file:///")), qPrintable(uri));
            QVERIFY2(uri != previous, qPrintable(QStringLiteral("kept ") + uri));
            const QString shown = FileOf(uri);
            QVERIFY2(shown == path_ || shown == alternate_, qPrintable(shown));
            QCOMPARE(Contents(shown), bytes);
            QCOMPARE(ReadInChild("picture-uri"), Quoted(uri));
            previous = uri;
        }
        QCOMPARE(Read("picture-uri", "org.gnome.desktop.background"), gnomeUri);
    }

    // At the end the stored setting names the program's own bitmap.
    void storeNamesProgramBitmap() {
        CinnamonWallpaper wallpaper;
        const QByteArray bytes = WriteBmp(path_, Qt::yellow);
        wallpaper.Set(path_, 0);
        wallpaper.Set(path_, 0);
        wallpaper.Set(path_, WallpaperFlags::Store);
        const QString uri = ReadInChild("picture-uri");
        QCOMPARE(uri, Quoted(QUrl::fromLocalFile(path_).toString(QUrl::FullyEncoded)));
        QCOMPARE(Contents(path_), bytes);
    }

    // Removal hides the picture ('none') and remembers the arrangement; the next step
    // brings it back. A run that starts after a stored removal zooms.
    void removalAndRestore() {
        Write("picture-options", "centered");
        CinnamonWallpaper wallpaper;
        WriteBmp(path_, Qt::cyan);
        wallpaper.Set(path_, 0);
        const QString uri = Read("picture-uri");

        wallpaper.Set(QString(), 0);
        QCOMPARE(ReadInChild("picture-options"), QStringLiteral("'none'"));
        QCOMPARE(Read("picture-uri"), uri);
        wallpaper.Set(QString(), WallpaperFlags::Store);
        QCOMPARE(Read("picture-options"), QStringLiteral("none"));

        WriteBmp(path_, Qt::magenta);
        wallpaper.Set(path_, 0);
        QCOMPARE(ReadInChild("picture-options"), QStringLiteral("'centered'"));
        QVERIFY(Read("picture-uri") != uri);

        CinnamonWallpaper nextRun;
        nextRun.Set(QString(), WallpaperFlags::Store);
        CinnamonWallpaper runAfter;
        runAfter.Set(path_, 0);
        QCOMPARE(Read("picture-options"), QStringLiteral("zoom"));
    }

    void missingBitmapChangesNothing() {
        CinnamonWallpaper wallpaper;
        WriteBmp(path_, Qt::red);
        wallpaper.Set(path_, 0);
        const QString uri = Read("picture-uri");
        try {
            wallpaper.Set(dir_.filePath(QStringLiteral("gone.BMP")), 0);
            QFAIL("no error for a missing bitmap");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::FileNotFound);
        }
        QCOMPARE(Read("picture-uri"), uri);
    }

  private:
    QTemporaryDir dir_;
    QString path_;
    QString alternate_;
};

QTEST_GUILESS_MAIN(CinnamonWallpaperTest)
#include "CinnamonWallpaperTest.moc"
