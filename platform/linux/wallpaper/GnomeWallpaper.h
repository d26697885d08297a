// SPDX-License-Identifier: MIT
#pragma once

#include "PictureUriWallpaper.h"

namespace velmora::linux_impl {

// GNOME and the desktops built on its settings (Budgie, Unity, Pantheon, GNOME Classic and
// Flashback): the keys of org.gnome.desktop.background, the dark style's picture too.
class GnomeWallpaper : public PictureUriWallpaper {
  public:
    // Throws PlatformError(NotSupported) when the settings schema is not installed.
    GnomeWallpaper();
};

} // namespace velmora::linux_impl
