// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

namespace velmora {

// A push button that tells about the press before and about the release after its click,
// so that a click handler sees the state of its own press; a press by the keyboard (space,
// or Enter, which presses the focused button as on the design's desktop even though no
// button is the default) is told about the same way, with the modifiers held at the press.
class VbButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  Q_SIGNALS:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void KeyDown(Qt::KeyboardModifiers modifiers);
    void KeyUp();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void EndKeyPress();

    bool spaceDown_ = false;
};

} // namespace velmora
