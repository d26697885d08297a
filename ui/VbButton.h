#pragma once

#include <QPushButton>

namespace velmora {

// A push button that tells about the press before and about the release after its click,
// so that a click handler sees the state of its own press.
class VbButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  Q_SIGNALS:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace velmora
