// SPDX-License-Identifier: MIT
#include "wallpaper/GnomeWallpaper.h"
#include "LinuxPlatform.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "QtText.h"
#include "SettingsTestSupport.h"
#include "SystemServices.h"
#include "wallpaper/AlternateFile.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdio>

using namespace velmora;
using namespace velmora::linux_impl;
using namespace velmora::test;

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";
constexpr const char* kStepsArgument = "--steps-through-platform";

// The child of nothingStoredIsReported: a step, a removal and two more steps through the
// platform as the changer makes them, on GNOME; prints each error as number:description.
int StepsThroughPlatform(const QString& path) {
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    LinuxPlatform platform;
    for (const QString& step : {path, QString(), path, path}) {
        try {
            platform.SetDeskWallpaper(ToUtf8(step), 0);
        } catch (const PlatformError& e) {
            std::printf("%d:%s\n", e.Number, e.Description.c_str());
        }
    }
    return 0;
}

QString Read(const char* key) {
    return ReadKey(kSchema, key);
}
void Write(const char* key, const char* value) {
    WriteKey(kSchema, key, value);
}
QString ReadInChild(const QString& program, const QStringList& arguments) {
    return OutputOf(program, arguments);
}

QString FileOf(const QString& uri) {
    return QUrl(uri).toLocalFile();
}

} // namespace

class GnomeWallpaperTest : public QObject {
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
            QSKIP("the org.gnome.desktop.background schema (gsettings-desktop-schemas) is "
                  "not installed");
        hasDark_ = g_settings_schema_has_key(schema, "picture-uri-dark");
        g_settings_schema_unref(schema);
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
        alternate_ = dir_.filePath(QStringLiteral(".Mosswick壁紙-alt.BMP"));
    }

    void init() {
        GSettings* settings = g_settings_new(kSchema);
        for (const char* key : {"picture-uri", "picture-uri-dark", "picture-options"})
            g_settings_reset(settings, key);
        g_object_unref(settings);
        g_settings_sync();
    }

    // The factory picks this way on GNOME, and a step reaches the settings store where
    // other programs (the desktop) read it.
    void stepReachesSettingsStore() {
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        const auto wallpaper = CreateDesktopWallpaper();
        QVERIFY(dynamic_cast<GnomeWallpaper*>(wallpaper.get()));
        const QByteArray red = WriteBmp(path_, Qt::red);
        QVERIFY(!red.isEmpty());

        wallpaper->Set(path_, WallpaperFlags::SessionOnly);

        const QString uri = Read("picture-uri");
        QVERIFY2(uri.startsWith(QLatin1String("file:///")), qPrintable(uri));
        const QString shown = FileOf(uri);
        QVERIFY2(shown == path_ || shown == alternate_, qPrintable(shown));
        QCOMPARE(Contents(shown), red);
        if (hasDark_)
            QCOMPARE(Read("picture-uri-dark"), uri);
        QCOMPARE(ReadInChild(QStringLiteral("gsettings"),
                             {QStringLiteral("get"), QString::fromLatin1(kSchema),
                              QStringLiteral("picture-uri")}),
                 Quoted(uri));
        QCOMPARE(ReadInChild(QStringLiteral("dconf"),
                             {QStringLiteral("read"),
                              QStringLiteral("/org/gnome/desktop/background/picture-uri")}),
                 Quoted(uri));
        if (hasDark_)
            QCOMPARE(
                ReadInChild(QStringLiteral("dconf"),
                            {QStringLiteral("read"), QStringLiteral("/org/gnome/desktop/background/"
                                                                    "picture-uri-dark")}),
                Quoted(uri));
    }

    // The file name never changes, but the desktop redraws only for a new URI: steps
    // alternate between two names, each holding the current picture.
    void stepsAlternateNames() {
        GnomeWallpaper wallpaper;
        QString previous;
        QStringList seen;
        int i = 0;
        for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
            const QByteArray bytes = WriteBmp(path_, colour);
            wallpaper.Set(path_, 0);
            const QString uri = Read("picture-uri");
            QVERIFY2(uri != previous,
                     qPrintable(QStringLiteral("step %1 kept %2").arg(i).arg(uri)));
            QCOMPARE(Contents(FileOf(uri)), bytes);
            QCOMPARE(Contents(path_), bytes);
            QCOMPARE(Contents(alternate_), bytes);
            seen << FileOf(uri);
            previous = uri;
            ++i;
        }
        QCOMPARE(seen.at(0), seen.at(2));
        QVERIFY((QStringList{seen.at(0), seen.at(1)} == QStringList{path_, alternate_}) ||
                (QStringList{seen.at(0), seen.at(1)} == QStringList{alternate_, path_}));
        // The second name is a link to the same file, not a second copy of the picture.
        struct stat a {
        }, b{};
        QCOMPARE(::stat(QFile::encodeName(path_).constData(), &a), 0);
        QCOMPARE(::stat(QFile::encodeName(alternate_).constData(), &b), 0);
        QCOMPARE(a.st_ino, b.st_ino);
        // Nothing else is left in the folder.
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // Without a working store (no session bus, one that cannot be reached, GSettings kept
    // in memory) nothing would be stored or shown: the first step says so, once per run.
    void nothingStoredIsReported() {
        QVERIFY(!WriteBmp(path_, Qt::red).isEmpty());
        QTemporaryDir runtime; // no bus socket in it
        QVERIFY(runtime.isValid());
        const struct {
            const char* name;
            const char* variable;
            QString value; // empty: the variable is removed
            const char* mentions;
        } cases[] = {
            {"no bus", "DBUS_SESSION_BUS_ADDRESS", QString(), "D-Bus"},
            {"unreachable bus", "DBUS_SESSION_BUS_ADDRESS",
             QStringLiteral("unix:path=") + runtime.filePath(QStringLiteral("gone")), "D-Bus"},
            {"settings in memory", "GSETTINGS_BACKEND", QStringLiteral("memory"), "GSettings"},
            {"working session", "XDG_RUNTIME_DIR", qEnvironmentVariable("XDG_RUNTIME_DIR"),
             nullptr},
        };
        for (const auto& c : cases) {
            const QString before = Read("picture-uri");
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
            if (c.value.isEmpty())
                environment.remove(QString::fromLatin1(c.variable));
            else
                environment.insert(QString::fromLatin1(c.variable), c.value);
            QProcess child;
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(kStepsArgument), path_});
            QVERIFY(child.waitForFinished(60000));
            QCOMPARE(child.exitCode(), 0);
            const QStringList errors =
                QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
            if (!c.mentions) {
                QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u' ')));
                QVERIFY(Read("picture-uri") != before);
                continue;
            }
            QVERIFY2(errors.size() == 1, qPrintable(c.name + (u' ' + errors.join(u' '))));
            QVERIFY2(errors[0].startsWith(QStringLiteral("445:")) &&
                         errors[0].contains(QStringLiteral("GNOME")) &&
                         errors[0].contains(QString::fromLatin1(c.mentions)),
                     qPrintable(errors[0]));
            QCOMPARE(Read("picture-uri"), before);
        }
    }

    // At the end the stored setting names the program's own bitmap, whichever name the
    // last step used.
    void storeNamesProgramBitmap() {
        GnomeWallpaper wallpaper;
        const QByteArray bytes = WriteBmp(path_, Qt::yellow);
        wallpaper.Set(path_, 0);
        wallpaper.Set(path_, 0); // one of the two steps shows the second name
        wallpaper.Set(path_, WallpaperFlags::Store);
        const QString uri = Read("picture-uri");
        QCOMPARE(FileOf(uri), path_);
        QCOMPARE(uri, QUrl::fromLocalFile(path_).toString(QUrl::FullyEncoded));
        QCOMPARE(Contents(FileOf(uri)), bytes);
        QCOMPARE(ReadInChild(QStringLiteral("dconf"),
                             {QStringLiteral("read"),
                              QStringLiteral("/org/gnome/desktop/background/picture-uri")}),
                 Quoted(uri));
    }

    // Removal hides the picture and remembers the arrangement; the next step brings it back.
    void removalAndRestore() {
        Write("picture-options", "scaled");
        GnomeWallpaper wallpaper;
        WriteBmp(path_, Qt::cyan);
        wallpaper.Set(path_, 0);
        const QString uri = Read("picture-uri");

        wallpaper.Set(QString(), 0);
        QCOMPARE(Read("picture-options"), QStringLiteral("none"));
        QCOMPARE(ReadInChild(QStringLiteral("dconf"),
                             {QStringLiteral("read"),
                              QStringLiteral("/org/gnome/desktop/background/picture-options")}),
                 QStringLiteral("'none'"));
        QCOMPARE(Read("picture-uri"), uri);
        wallpaper.Set(QString(), WallpaperFlags::Store); // the end after a removal
        QCOMPARE(Read("picture-options"), QStringLiteral("none"));

        WriteBmp(path_, Qt::magenta);
        wallpaper.Set(path_, 0);
        QCOMPARE(Read("picture-options"), QStringLiteral("scaled"));
    }

    // A run that starts after a stored removal has no arrangement to bring back.
    void firstStepAfterStoredRemovalZooms() {
        Write("picture-options", "none");
        GnomeWallpaper wallpaper;
        WriteBmp(path_, Qt::gray);
        wallpaper.Set(path_, 0);
        QCOMPARE(Read("picture-options"), QStringLiteral("zoom"));
    }

    void missingBitmapChangesNothing() {
        GnomeWallpaper wallpaper;
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

    void alternateName() {
        QCOMPARE(AlternateNameOf(QStringLiteral("/a/b/Mosswick壁紙.BMP")),
                 QStringLiteral("/a/b/.Mosswick壁紙-alt.BMP"));
        QCOMPARE(AlternateNameOf(QStringLiteral("/a/pic")), QStringLiteral("/a/.pic-alt"));
    }

  private:
    QTemporaryDir dir_;
    QString path_;
    QString alternate_;
    bool hasDark_ = false;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kStepsArgument) == 0)
        return StepsThroughPlatform(QString::fromLocal8Bit(argv[2]));
    GnomeWallpaperTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "GnomeWallpaperTest.moc"
