// SPDX-License-Identifier: MIT
#include "CentreOnScreen.h"

#include <QEvent>
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

const QString kCentreOnceFramed = QStringLiteral("CentreOnceFramed");

// Centres the window again as soon as the window manager has told its frame, which it does
// only after the window is shown.
class CentreOnceFramed : public QObject {
  public:
    explicit CentreOnceFramed(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(kCentreOnceFramed);
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_)
            return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Expose:
        case QEvent::UpdateRequest:
            if (!FrameOf(window_).isNull()) {
                Done();
                CentreOnScreen(window_);
            }
            break;
        case QEvent::Hide:
            Done(); // moved or placed again by then: not ours to correct
            break;
        default:
            break;
        }
        return false;
    }

  private:
    void Done() {
        window_.removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
};
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
    if (!known) {
        corner += QPoint(frame.left(), frame.top());
        if (window.findChild<QObject*>(kCentreOnceFramed, Qt::FindDirectChildrenOnly) == nullptr)
            new CentreOnceFramed(window);
    }
    window.move(corner);
}

} // namespace velmora
