// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace velmora::linux_impl {

// XFCE: xfconf's xfce4-desktop channel, for every monitor and workspace, written to
// xfconfd over D-Bus.
class XfceWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;

  private:
    void ShowPicture(const QString& file, bool store);
    void ShowNoPicture();

    QHash<QString, int> stylesBeforeRemoval_; // backdrop → its arrangement before a removal
};

// Throws PlatformError(NotSupported) when settings would reach nobody: no xfconfd on the
// session bus to store them, or no xfdesktop running to draw them.
void RequireXfceDesktop();

// The monitor names xfdesktop uses for this session's screens ("monitor" + RandR output).
QStringList XfceMonitorNames();

} // namespace velmora::linux_impl
