// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

#include <optional>

typedef struct _GVariant GVariant;

namespace velmora::linux_impl {

// KDE Plasma 5 and 6: plasmashell over D-Bus. Where the shell offers its own setWallpaper
// (Plasma 6), each screen is set through it; otherwise a script sets every desktop.
class PlasmaWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;

  private:
    bool HasNativeCalls();
    void ShowPictureNatively(const QString& uri, const QString& alternateUri);
    void ShowBlackNatively();
    void Evaluate(const QString& script);

    std::optional<bool> native_; // whether the shell has setWallpaper, once asked
};

} // namespace velmora::linux_impl
