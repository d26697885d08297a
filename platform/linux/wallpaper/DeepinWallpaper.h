#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// Deepin: its Appearance service on the session bus.
class DeepinWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
