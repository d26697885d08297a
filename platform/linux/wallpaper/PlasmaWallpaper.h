#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// KDE Plasma 5 and 6: plasmashell's scripting over D-Bus.
class PlasmaWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

} // namespace velmora::linux_impl
