// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora {

// A modal message box over the active window with the system's Japanese captions; style is
// the sum of MsgBoxStyle values, the result a MsgBoxResult value.
int ShowMessageBox(const QString& text, int style, const QString& title);

} // namespace velmora
