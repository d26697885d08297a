// SPDX-License-Identifier: MIT
#include "LinkLabel.h"

#include "LinkLabelAccessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace velmora {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    InstallLinkLabelAccessible();
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab; a click follows the link without taking the focus from OK.
    setFocusPolicy(Qt::TabFocus);
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

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        event->accept();
        if (!event->isAutoRepeat())
            Q_EMIT Click();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

// The focus is shown around the text, as on a button.
void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    const int flags = int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    const QRect text = fontMetrics().boundingRect(contentsRect(), flags, this->text());
    option.rect = text.adjusted(-1, 0, 1, 0).intersected(rect());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace velmora
