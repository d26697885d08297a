#include "VbButton.h"

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

} // namespace velmora
