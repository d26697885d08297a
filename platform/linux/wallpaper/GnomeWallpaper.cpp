#include "GnomeWallpaper.h"

#include "AlternateFile.h"
#include "Platform.h"
#include "PlatformError.h"

#include <QFile>
#include <QFileInfo>

#include <gio/gio.h>

namespace velmora::linux_impl {

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";
constexpr const char* kNoPicture = "none";
constexpr const char* kDefaultOptions = "zoom";

QString UriOf(const QString& path) {
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, &error);
    if (!uri) {
        g_clear_error(&error);
        throw PlatformError(Err::BadFileName);
    }
    const QString result = QString::fromUtf8(uri);
    g_free(uri);
    return result;
}

// The local file a URI names, as the file system spells it; empty for anything else.
QByteArray FileOfUri(const QString& uri) {
    gchar* file = g_filename_from_uri(uri.toUtf8().constData(), nullptr, nullptr);
    if (!file)
        return {};
    QByteArray result(file);
    g_free(file);
    return result;
}

} // namespace

GnomeWallpaper::GnomeWallpaper() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
    // g_settings_new() ends the program on a missing schema: look first.
    if (!schema)
        throw PlatformError(
            Err::NotSupported,
            QStringLiteral("GNOME の壁紙の設定 (org.gnome.desktop.background) が見つからないため、"
                           "壁紙を設定できません。"));
    hasDarkPicture_ = g_settings_schema_has_key(schema, "picture-uri-dark");
    settings_ = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
}

GnomeWallpaper::~GnomeWallpaper() {
    g_object_unref(settings_);
}

void GnomeWallpaper::Set(const QString& bmpPath, int flags) {
    // GSettings stores every change in the user's settings: there is no session-only
    // change, so flags 0 and 3 both store. At the end (3) the picture is named by its own
    // file name, so that the stored setting points at the program's bitmap.
    if (bmpPath.isEmpty()) {
        ShowNoPicture();
    } else {
        if (!QFileInfo::exists(bmpPath))
            throw PlatformError(Err::FileNotFound);
        const QString file = QFileInfo(bmpPath).absoluteFilePath();
        if ((flags & WallpaperFlags::Store) == WallpaperFlags::Store) {
            ShowPicture(file);
        } else {
            // The desktop redraws only when the name changes, and the program always writes
            // the same name: show the picture under the other of two names each time.
            const QString alternate = AlternateNameOf(file);
            MirrorFile(file, alternate);
            const bool showingFile = FileOfUri(StringOf("picture-uri")) == QFile::encodeName(file);
            ShowPicture(showingFile ? alternate : file);
        }
    }
    // Make sure the change has reached the settings store before the program may end.
    g_settings_sync();
}

void GnomeWallpaper::ShowPicture(const QString& file) {
    const QString uri = UriOf(file);
    if (StringOf("picture-options") == QLatin1String(kNoPicture))
        Write("picture-options", optionsBeforeRemoval_.isEmpty()
                                     ? QString::fromLatin1(kDefaultOptions)
                                     : optionsBeforeRemoval_);
    Write("picture-uri", uri);
    if (hasDarkPicture_)
        Write("picture-uri-dark", uri);
}

void GnomeWallpaper::ShowNoPicture() {
    const QString options = StringOf("picture-options");
    if (options == QLatin1String(kNoPicture))
        return;
    optionsBeforeRemoval_ = options;
    Write("picture-options", QString::fromLatin1(kNoPicture));
}

QString GnomeWallpaper::StringOf(const char* key) const {
    gchar* value = g_settings_get_string(settings_, key);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

void GnomeWallpaper::Write(const char* key, const QString& value) {
    if (!g_settings_set_string(settings_, key, value.toUtf8().constData()))
        throw PlatformError(
            Err::PermissionDenied,
            QStringLiteral("壁紙の設定が変更できないようになっているため、壁紙を変えられません。"));
}

} // namespace velmora::linux_impl
