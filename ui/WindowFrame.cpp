// SPDX-License-Identifier: MIT
#include "WindowFrame.h"

#include "Platform.h"

#include <QRect>
#include <QWidget>
#include <QWindow>

namespace velmora {

std::optional<QMargins> KnownFrame(QWidget& window, Platform& platform) {
    if (QWindow* handle = window.windowHandle(); handle != nullptr && handle->handle() != nullptr)
        if (const std::optional<QMargins> frame = platform.GetWindowFrame(*handle))
            return frame;
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    // Measured while the window manager was still building the frame, a side can come out
    // negative.
    if (frame.isNull() || frame.left() < 0 || frame.top() < 0 || frame.right() < 0 ||
        frame.bottom() < 0)
        return std::nullopt;
    return frame;
}

void MoveFrameTo(QWidget& window, QPoint corner, const QMargins& frame) {
    window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace velmora
