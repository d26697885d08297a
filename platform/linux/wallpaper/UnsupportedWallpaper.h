// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"
#include "PlatformError.h"

namespace velmora::linux_impl {

// A session without a known way to set its wallpaper, or whose way could not be prepared.
// The first change is refused with the reason, so the user hears it once; later changes in
// the same run are dropped quietly rather than repeating the same message at every step.
class UnsupportedWallpaper : public DesktopWallpaper {
  public:
    UnsupportedWallpaper();
    // Carries the error that kept the desktop's own way from working.
    explicit UnsupportedWallpaper(PlatformError reason);

    void Set(const QString& bmpPath, int flags) override;

  private:
    PlatformError reason_;
    bool reported_ = false;
};

} // namespace velmora::linux_impl
