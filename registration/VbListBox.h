// SPDX-License-Identifier: MIT
#pragma once

#include <QListWidget>

namespace velmora {

// A list box that tells about its clicks and typed keys the classic way: Click when the
// current row is picked (by the mouse, the arrow keys or the program), KeyPress before the
// list handles a typed key (13 for Enter).
class VbListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit VbListBox(QWidget* parent = nullptr);

  Q_SIGNALS:
    void Click();
    void KeyPress(int keyAscii);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void OnCurrentRowChanged(int row);

    bool quiet_ = false;
};

} // namespace velmora
