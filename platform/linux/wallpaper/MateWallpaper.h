// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"
#include "GSettingsKeys.h"

namespace velmora::linux_impl {

// MATE: the keys of org.mate.background, drawn by caja. The picture is a plain path, and
// MATE has no arrangement meaning "no picture": an empty picture-filename with a solid
// colour removes it.
class MateWallpaper : public DesktopWallpaper {
  public:
    // Throws PlatformError(NotSupported) when the settings schema is not installed.
    MateWallpaper();
    void Set(const QString& bmpPath, int flags) override;

  private:
    void ShowPicture(const QString& file);
    void ShowNoPicture();

    GSettingsKeys keys_;
    QString shadingBeforeRemoval_; // the colour shading to bring back after a removal
};

} // namespace velmora::linux_impl
