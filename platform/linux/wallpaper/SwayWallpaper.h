#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// sway: swaymsg output * bg, for the running session only.
class SwayWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
