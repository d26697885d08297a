#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// A desktop without a known way to set its wallpaper: every change is refused clearly,
// never reported as done.
class UnsupportedWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
