// SPDX-License-Identifier: MIT
#include "GnomeWallpaper.h"

namespace velmora::linux_impl {

GnomeWallpaper::GnomeWallpaper()
    : PictureUriWallpaper("org.gnome.desktop.background", QStringLiteral("GNOME")) {}

} // namespace velmora::linux_impl
