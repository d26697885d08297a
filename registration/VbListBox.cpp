// SPDX-License-Identifier: MIT
#include "VbListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace velmora {

VbListBox::VbListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are one line of text each; measuring every row of a long list on each refill
    // would cost more than the refill itself.
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, &VbListBox::OnCurrentRowChanged);
}

void VbListBox::OnCurrentRowChanged(int row) {
    if (row >= 0 && !quiet_)
        Q_EMIT Click();
}

void VbListBox::mousePressEvent(QMouseEvent* event) {
    const int before = currentRow();
    QListWidget::mousePressEvent(event);
    // A click on the row that is already current is a click all the same.
    const QListWidgetItem* hit = itemAt(event->position().toPoint());
    if (hit != nullptr && event->button() == Qt::LeftButton && row(hit) == before &&
        currentRow() == before)
        Q_EMIT Click();
}

void VbListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Q_EMIT KeyPress(13);
    else if (event->text().size() == 1)
        Q_EMIT KeyPress(event->text().front().unicode());
    QListWidget::keyPressEvent(event);
}

void VbListBox::focusInEvent(QFocusEvent* event) {
    // Gaining the focus may mark a first row for the keyboard; that is no pick of the user's.
    quiet_ = true;
    QListWidget::focusInEvent(event);
    quiet_ = false;
}

} // namespace velmora
