// SPDX-License-Identifier: MIT
#include "CinnamonWallpaper.h"

namespace velmora::linux_impl {

CinnamonWallpaper::CinnamonWallpaper()
    : PictureUriWallpaper("org.cinnamon.desktop.background", QStringLiteral("Cinnamon")) {}

} // namespace velmora::linux_impl
