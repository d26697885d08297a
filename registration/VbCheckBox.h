// SPDX-License-Identifier: MIT
#pragma once

#include <QCheckBox>

namespace velmora {

// A check box with the classic numeric value: 0 clear, 1 ticked, 2 grey. Only the program
// makes it grey; a click moves between ticked and clear.
class VbCheckBox : public QCheckBox {
    Q_OBJECT
  public:
    using QCheckBox::QCheckBox;

    int Value() const;
    // Throws PlatformError (380) for a value other than 0, 1 or 2.
    void SetValue(int value);

  protected:
    void nextCheckState() override;
};

} // namespace velmora
