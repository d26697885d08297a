#pragma once

#include <QLabel>

namespace velmora {

// A label that acts as a link: a pointing hand over it, a click on it with the left button,
// and a "link" with a press action for screen readers. Like the other labels it never takes
// the keyboard focus.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    LinkLabel(const QString& text, QWidget* parent);

  Q_SIGNALS:
    void Click();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

} // namespace velmora
