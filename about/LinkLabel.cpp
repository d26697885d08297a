#include "LinkLabel.h"

#include "LinkLabelAccessible.h"

#include <QMouseEvent>

namespace velmora {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    InstallLinkLabelAccessible();
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

// A click is a press and a release both on the label, as with a button.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        Q_EMIT Click();
}

} // namespace velmora
