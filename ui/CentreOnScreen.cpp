// SPDX-License-Identifier: MIT
#include "CentreOnScreen.h"

#include "WindowFrame.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace velmora {

namespace {
const QString kCentreOnceFramed = QStringLiteral("CentreOnceFramed");

// Centres the window again as soon as the window manager has told its frame, which it does
// only after the window is shown.
class CentreOnceFramed : public QObject {
  public:
    CentreOnceFramed(QWidget& window, Platform& platform)
        : QObject(&window), window_(window), platform_(platform) {
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
        case QEvent::Paint:
            if (KnownFrame(window_, platform_)) {
                Done();
                CentreOnScreen(window_, platform_);
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
    Platform& platform_;
};
} // namespace

void CentreOnScreen(QWidget& window, Platform& platform) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    const std::optional<QMargins> known = KnownFrame(window, platform);
    QMargins frame = known.value_or(QMargins());
    if (!known && window.parentWidget() != nullptr)
        frame = KnownFrame(*window.parentWidget()->window(), platform).value_or(QMargins());
    const QRect area = screen->geometry();
    const QSize outer = window.size().grownBy(frame);
    MoveFrameTo(window,
                QPoint(area.x() + (area.width() - outer.width()) / 2,
                       area.y() + (area.height() - outer.height()) / 2),
                frame);
    if (!known &&
        window.findChild<QObject*>(kCentreOnceFramed, Qt::FindDirectChildrenOnly) == nullptr)
        new CentreOnceFramed(window, platform);
}

} // namespace velmora
