#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// MATE: the keys of org.mate.background.
class MateWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
