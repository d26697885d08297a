// SPDX-License-Identifier: MIT
#pragma once

#include <QProcessEnvironment>

#include <optional>

namespace velmora::linux_impl {

// The ways this program knows of showing a wallpaper.
enum class DesktopKind {
    Gnome,       // GSettings org.gnome.desktop.background
    Cinnamon,    // GSettings org.cinnamon.desktop.background
    Mate,        // GSettings org.mate.background
    Deepin,      // the Appearance D-Bus service
    Plasma,      // plasmashell over D-Bus
    Xfce,        // xfconf, channel xfce4-desktop
    Lxde,        // pcmanfm --set-wallpaper
    Lxqt,        // pcmanfm-qt --set-wallpaper
    Sway,        // swaymsg output * bg
    Wlroots,     // a detached swaybg (other wlroots compositors, Hyprland)
    X11Root,     // the X root window's background pixmap
    Unsupported, // no known way
};

// Which way fits the session described by env. Depends on env only.
DesktopKind DetectDesktop(const QProcessEnvironment& env);

// On X11, the desktop whose own window covers the root (a file manager drawing the desktop:
// xfdesktop, nautilus, nemo, caja, pcmanfm, pcmanfm-qt), if any: changes of the root pixmap
// are invisible under it.
std::optional<DesktopKind> DesktopOfDesktopWindow();

} // namespace velmora::linux_impl
