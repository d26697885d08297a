// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

#include <QtGlobal>

namespace velmora::linux_impl {

// Other wlroots compositors and Hyprland: a detached swaybg for all outputs. Each step starts
// a new swaybg and ends the one before only once the new one has drawn, so the screen never
// shows the bare compositor in between. The last one keeps running after the program ends:
// it is the wallpaper.
class SwaybgWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;

  private:
    struct Started {
        qint64 pid = 0;
        quint64 startTime = 0; // tells the process from a later one given the same pid
    };
    Started shown_;
    bool firstStep_ = true;
};

} // namespace velmora::linux_impl
