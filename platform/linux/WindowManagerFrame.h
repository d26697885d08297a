// SPDX-License-Identifier: MIT
#pragma once

#include <QMargins>

#include <optional>

class QWindow;

namespace velmora::linux_impl {

// The frame around a top-level window as the X window manager announces it
// (_NET_FRAME_EXTENTS); nothing off X11, before the window manager has framed the window,
// or with no window manager.
std::optional<QMargins> WindowManagerFrame(QWindow& window);

} // namespace velmora::linux_impl
