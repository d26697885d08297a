// SPDX-License-Identifier: MIT
#pragma once

#include <QMargins>
#include <QPoint>

#include <optional>

class QWidget;

namespace velmora {

class Platform;

// The frame around a top-level window: the window manager's own word once it has given it,
// otherwise what Qt has measured, if that can be a frame at all. Nothing while unknown.
std::optional<QMargins> KnownFrame(QWidget& window, Platform& platform);

// Puts the top-left corner of the window's frame at corner. Qt's move() would add the frame
// Qt believes in, which can be out of date.
void MoveFrameTo(QWidget& window, QPoint corner, const QMargins& frame);

} // namespace velmora
