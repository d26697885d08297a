#pragma once

#include <QProcessEnvironment>

namespace velmora::linux_impl {

// The ways this program knows of showing a wallpaper.
enum class DesktopKind {
    Gnome,       // GSettings org.gnome.desktop.background
    X11Root,     // the X root window's background pixmap
    Unsupported, // no known way
};

// Which way fits the session described by env. Depends on env only.
DesktopKind DetectDesktop(const QProcessEnvironment& env);

} // namespace velmora::linux_impl
