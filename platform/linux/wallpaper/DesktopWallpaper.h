// SPDX-License-Identifier: MIT
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

// Chooses the way for the desktop this session runs, from its environment (DesktopDetect.h).
// Throws PlatformError when the chosen way cannot work here.
std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper();

enum class DesktopKind;
// The way of one given desktop.
std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper(DesktopKind kind);

} // namespace velmora::linux_impl
