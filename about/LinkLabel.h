// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace velmora {

// A label that acts as a link: a pointing hand over it, a click on it with the left button,
// a stop of the Tab key where Enter or space follows it, and a "link" with a press action for
// screen readers.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    LinkLabel(const QString& text, QWidget* parent);

  Q_SIGNALS:
    void Click();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool pressed_ = false;
};

} // namespace velmora
