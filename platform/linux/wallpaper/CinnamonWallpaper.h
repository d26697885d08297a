#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// Cinnamon: the keys of org.cinnamon.desktop.background.
class CinnamonWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
