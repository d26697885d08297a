// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

typedef struct _GSettings GSettings;

namespace velmora::linux_impl {

// The string keys of one GSettings schema, as the desktops built on GSettings keep their
// background. Every failure is a PlatformError with a Japanese description.
class GSettingsKeys {
  public:
    // desktop names the desktop in messages. Throws PlatformError(NotSupported) when the
    // schema is not installed, or when changes would be neither stored nor seen: GSettings
    // keeps them in memory only, or dconf has no session bus to reach its service.
    GSettingsKeys(const char* schema, const QString& desktop);
    ~GSettingsKeys();
    GSettingsKeys(const GSettingsKeys&) = delete;
    GSettingsKeys& operator=(const GSettingsKeys&) = delete;

    bool Has(const char* key) const;
    QString String(const char* key) const;
    // Throws PlatformError(PermissionDenied) when the key is locked down.
    void Write(const char* key, const QString& value);
    // Waits until every change has reached the settings store, so the program may end.
    static void Sync();

  private:
    GSettings* settings_ = nullptr;
};

// The file: URI of a local path; throws PlatformError(BadFileName) when it has none.
QString FileUriOf(const QString& path);
// The local file a URI names, as the file system spells it; empty for anything else.
QByteArray FileOfUri(const QString& uri);

} // namespace velmora::linux_impl
