// SPDX-License-Identifier: MIT
#include "VbButton.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace velmora {

void VbButton::mousePressEvent(QMouseEvent* event) {
    Q_EMIT MouseDown(event->button(), event->modifiers());
    QPushButton::mousePressEvent(event);
}

void VbButton::mouseReleaseEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    QPushButton::mouseReleaseEvent(event); // emits clicked() first
    Q_EMIT MouseUp(button, modifiers);
}

void VbButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Held down, Enter would flood the handler with clicks.
        if (!event->isAutoRepeat()) {
            Q_EMIT KeyDown(event->modifiers());
            click();
            Q_EMIT KeyUp();
        }
        event->accept();
        return;
    case Qt::Key_Space:
        if (!event->isAutoRepeat() && !spaceDown_) {
            spaceDown_ = true;
            Q_EMIT KeyDown(event->modifiers());
        }
        break;
    default:
        break;
    }
    QPushButton::keyPressEvent(event);
}

void VbButton::keyReleaseEvent(QKeyEvent* event) {
    QPushButton::keyReleaseEvent(event); // clicks on the release of space
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        EndKeyPress();
}

// The button lets go of a space press when it loses the focus, without a click.
void VbButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    EndKeyPress();
}

void VbButton::EndKeyPress() {
    if (!spaceDown_)
        return;
    spaceDown_ = false;
    Q_EMIT KeyUp();
}

} // namespace velmora
