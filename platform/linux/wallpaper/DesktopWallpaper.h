#pragma once

#include <QString>

#include <memory>

namespace velmora::linux_impl {

// One way of showing a wallpaper on one kind of desktop.
class DesktopWallpaper {
  public:
    virtual ~DesktopWallpaper() = default;
    // bmpPath empty: no picture (a plain colour). flags as in WallpaperFlags.
    virtual void Set(const QString& bmpPath, int flags) = 0;
};

// Chooses the way for the desktop this session runs (from the environment and, on X11,
// the windows that cover the root).
std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper();

} // namespace velmora::linux_impl
