// SPDX-License-Identifier: MIT
#include "CentreOnScreen.h"

#include <QEvent>
#include <QObject>
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
void CentreWithFrame(QWidget& window);

// Waits for the frame to become known, which the window manager may tell only after the
// window was shown, then centres once more and goes.
class CentreWhenFramed : public QObject {
  public:
    explicit CentreWhenFramed(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == &window_ && (type == QEvent::Move || type == QEvent::Resize) &&
            !FrameOf(window_).isNull()) {
            window_.removeEventFilter(this);
            deleteLater();
            CentreWithFrame(window_);
        }
        return false;
    }

  private:
    QWidget& window_;
};

} // namespace

void CentreOnScreen(QWidget& window) {
    if (FrameOf(window).isNull() && window.findChild<CentreWhenFramed*>() == nullptr)
        new CentreWhenFramed(window);
    CentreWithFrame(window);
}

namespace {
void CentreWithFrame(QWidget& window) {
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

} // namespace

} // namespace velmora
