// SPDX-License-Identifier: MIT
#include "GSettingsKeys.h"

#include "PlatformError.h"
#include "SessionBus.h"

#include <QFile>

#include <gio/gio.h>
// Only to tell which store GSettings writes to.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>

namespace velmora::linux_impl {

namespace {

// GLib falls back to a store in memory (dconf missing, GSETTINGS_BACKEND=memory) that keeps
// changes from everyone else; dconf hands every change to its service over the session bus.
void RequireWorkingStore(const QString& desktop) {
    GSettingsBackend* backend = g_settings_backend_get_default();
    const QByteArray type = G_OBJECT_TYPE_NAME(backend);
    g_object_unref(backend);
    if (type == "GMemorySettingsBackend" || type == "GNullSettingsBackend")
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("%1 の設定がどこにも保存されない状態 (GSettings の"
                                           "保存先がありません) のため、壁紙を設定しても"
                                           "表示されません。")
                                .arg(desktop));
    if (type.contains("DConf"))
        RequireSessionBus(desktop);
}

} // namespace

GSettingsKeys::GSettingsKeys(const char* schema, const QString& desktop) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* found =
        source ? g_settings_schema_source_lookup(source, schema, TRUE) : nullptr;
    // g_settings_new() ends the program on a missing schema: look first.
    if (!found)
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("%1 の壁紙の設定 (%2) が見つからないため、"
                                           "壁紙を設定できません。")
                                .arg(desktop, QString::fromLatin1(schema)));
    try {
        RequireWorkingStore(desktop);
    } catch (...) {
        g_settings_schema_unref(found);
        throw;
    }
    settings_ = g_settings_new_full(found, nullptr, nullptr);
    g_settings_schema_unref(found);
}

GSettingsKeys::~GSettingsKeys() {
    g_object_unref(settings_);
}

bool GSettingsKeys::Has(const char* key) const {
    GSettingsSchema* schema = nullptr;
    g_object_get(settings_, "settings-schema", &schema, nullptr);
    const bool has = schema && g_settings_schema_has_key(schema, key);
    if (schema)
        g_settings_schema_unref(schema);
    return has;
}

QString GSettingsKeys::String(const char* key) const {
    gchar* value = g_settings_get_string(settings_, key);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

void GSettingsKeys::Write(const char* key, const QString& value) {
    if (!g_settings_set_string(settings_, key, value.toUtf8().constData()))
        throw PlatformError(
            Err::PermissionDenied,
            QStringLiteral("壁紙の設定が変更できないようになっているため、壁紙を変えられません。"));
}

void GSettingsKeys::Sync() {
    g_settings_sync();
}

QString FileUriOf(const QString& path) {
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

QByteArray FileOfUri(const QString& uri) {
    gchar* file = g_filename_from_uri(uri.toUtf8().constData(), nullptr, nullptr);
    if (!file)
        return {};
    QByteArray result(file);
    g_free(file);
    return result;
}

} // namespace velmora::linux_impl
