// SPDX-License-Identifier: MIT
#pragma once

#include "SystemServices.h"

namespace velmora::win32 {

// Message boxes by MessageBoxW, owned by the program's active window so that it waits.
class MessageBoxes : public Messages {
  public:
    int MsgBox(const std::string& text, int style, const std::string& title) override;
};

} // namespace velmora::win32
