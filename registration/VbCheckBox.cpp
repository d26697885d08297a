// SPDX-License-Identifier: MIT
#include "VbCheckBox.h"

#include "PlatformError.h"

namespace velmora {

namespace {
constexpr int kInvalidPropertyValue = 380;
}

int VbCheckBox::Value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void VbCheckBox::SetValue(int value) {
    switch (value) {
    case 0:
        setCheckState(Qt::Unchecked);
        break;
    case 1:
        setCheckState(Qt::Checked);
        break;
    case 2:
        setCheckState(Qt::PartiallyChecked);
        break;
    default:
        throw PlatformError(kInvalidPropertyValue, QStringLiteral("プロパティの値が不正です。"));
    }
}

void VbCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

} // namespace velmora
