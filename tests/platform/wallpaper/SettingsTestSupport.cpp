// SPDX-License-Identifier: MIT
#include "SettingsTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QSaveFile>

#include <gio/gio.h>

namespace velmora::test {

QByteArray WriteBmp(const QString& path, const QImage& picture) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "BMP") || !file.commit())
        return {};
    return Contents(path);
}

QByteArray WriteBmp(const QString& path, const QColor& colour) {
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(colour);
    return WriteBmp(path, picture);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ReadKey(const char* schema, const char* key) {
    GSettings* settings = g_settings_new(schema);
    gchar* value = g_settings_get_string(settings, key);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    g_object_unref(settings);
    return result;
}

void WriteKey(const char* schema, const char* key, const char* value) {
    GSettings* settings = g_settings_new(schema);
    g_settings_set_string(settings, key, value);
    g_object_unref(settings);
    g_settings_sync();
}

QString OutputOf(const QString& program, const QStringList& arguments) {
    QProcess child;
    child.start(program, arguments);
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>")
            .arg(program, QString::fromLocal8Bit(child.readAllStandardError()));
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

QString ReadKeyInChild(const char* schema, const char* key) {
    return OutputOf(QStringLiteral("gsettings"),
                    {QStringLiteral("get"), QString::fromLatin1(schema), QString::fromLatin1(key)});
}

QString Quoted(const QString& value) {
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace velmora::test
