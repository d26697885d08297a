// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

typedef struct _GDBusConnection GDBusConnection;

namespace velmora::linux_impl {

// Deepin: its Appearance service on the session bus (org.deepin.dde.Appearance1 from
// DDE 23, com.deepin.daemon.Appearance before), asked to show the picture on every monitor
// its Display service lists.
class DeepinWallpaper : public DesktopWallpaper {
  public:
    // Throws PlatformError(NotSupported) when there is no session bus.
    DeepinWallpaper();
    ~DeepinWallpaper() override;
    DeepinWallpaper(const DeepinWallpaper&) = delete;
    DeepinWallpaper& operator=(const DeepinWallpaper&) = delete;

    void Set(const QString& bmpPath, int flags) override;

  private:
    GDBusConnection* bus_ = nullptr;
    QString shown_; // the file the last step showed
};

// Deepin always shows a picture: the one that stands for "no picture", a plain black one
// kept in the user's cache folder. Made when missing; throws PlatformError.
QString PlainPictureFile();

} // namespace velmora::linux_impl
