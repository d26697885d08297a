// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace velmora {

// The program's common window icon, the same on every window.
QIcon AppIcon();

} // namespace velmora
