#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// Other wlroots compositors and Hyprland: a detached swaybg for all outputs.
class SwaybgWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
