// SPDX-License-Identifier: MIT
#pragma once

#include "PictureUriWallpaper.h"

namespace velmora::linux_impl {

// Cinnamon: the keys of org.cinnamon.desktop.background, drawn by Cinnamon (or nemo's
// desktop) the way GNOME draws its own.
class CinnamonWallpaper : public PictureUriWallpaper {
  public:
    // Throws PlatformError(NotSupported) when the settings schema is not installed.
    CinnamonWallpaper();
};

} // namespace velmora::linux_impl
