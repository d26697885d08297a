#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// XFCE: xfconf's xfce4-desktop channel, for every monitor and workspace.
class XfceWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
