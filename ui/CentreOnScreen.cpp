#include "CentreOnScreen.h"

#include <QScreen>
#include <QWidget>

namespace velmora {

namespace {
QMargins FrameOf(const QWidget& window) {
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}
} // namespace

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    QMargins frame = FrameOf(window);
    const bool known = !frame.isNull();
    if (!known && window.parentWidget() != nullptr)
        frame = FrameOf(*window.parentWidget()->window());
    const QRect area = screen->geometry();
    const QSize outer = window.size().grownBy(frame);
    QPoint corner(area.x() + (area.width() - outer.width()) / 2,
                  area.y() + (area.height() - outer.height()) / 2);
    // move() places the frame once the frame is known, the client area until then
    if (!known)
        corner += QPoint(frame.left(), frame.top());
    window.move(corner);
}

} // namespace velmora
