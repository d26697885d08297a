// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

namespace velmora::linux_impl {

// Any X11 desktop: the picture becomes the root window's background pixmap, published
// through _XROOTPMAP_ID and ESETROOT_PMAP_ID for compositors and pseudo-transparent
// programs, and kept by the server after this program ends.
class X11RootWallpaper : public DesktopWallpaper {
  public:
    // displayName empty: the one DISPLAY names.
    explicit X11RootWallpaper(QString displayName = {});
    void Set(const QString& bmpPath, int flags) override;

  private:
    QString displayName_;
};

} // namespace velmora::linux_impl
