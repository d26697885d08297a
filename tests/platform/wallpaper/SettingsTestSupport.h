// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

namespace velmora::test {

// Writes picture as a BMP at path the way the program does (a new file renamed over the
// old) and returns the bytes written; empty on failure.
QByteArray WriteBmp(const QString& path, const QImage& picture);
// The same for a small plain picture.
QByteArray WriteBmp(const QString& path, const QColor& colour);
QByteArray Contents(const QString& path);

// A string key read and written through a GSettings object of the test's own, not the one
// the backend holds.
QString ReadKey(const char* schema, const char* key);
void WriteKey(const char* schema, const char* key, const char* value);
// What another process sees: a program's trimmed output, or a text saying it failed.
QString OutputOf(const QString& program, const QStringList& arguments);
// `gsettings get schema key`, in GVariant text form.
QString ReadKeyInChild(const char* schema, const char* key);
QString Quoted(const QString& value);

} // namespace velmora::test
