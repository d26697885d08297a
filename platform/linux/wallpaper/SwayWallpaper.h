// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

#include <QStringList>

namespace velmora::linux_impl {

// sway: swaymsg output * bg, for the running session only.
class SwayWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;
};

// The arguments of swaymsg that show bmpPath on every output, or a black screen when it is
// empty. Throws PlatformError(BadFileName) for a name sway cannot be given.
QStringList SwaymsgArguments(const QString& bmpPath);

} // namespace velmora::linux_impl
