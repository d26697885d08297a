// SPDX-License-Identifier: MIT
#include "UnsupportedWallpaper.h"

#include <utility>

namespace velmora::linux_impl {

UnsupportedWallpaper::UnsupportedWallpaper()
    : reason_(
          Err::NotSupported,
          QStringLiteral("このデスクトップで壁紙を変える方法がわからないため、壁紙は変わりません。"
                         "GNOME、KDE Plasma、Xfce、MATE、Cinnamon、LXDE、LXQt、sway などの"
                         "デスクトップか、X11 のセッションでお使いください。")) {}

UnsupportedWallpaper::UnsupportedWallpaper(PlatformError reason) : reason_(std::move(reason)) {}

void UnsupportedWallpaper::Set(const QString&, int) {
    if (reported_)
        return;
    reported_ = true;
    throw reason_;
}

} // namespace velmora::linux_impl
