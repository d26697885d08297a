// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace velmora {

class Platform;

// Puts the window's outer bottom-left corner on the bottom-left corner of the work area.
// Leaves it where it is when the work area cannot be had. True when the window's frame was
// known, so that the place is final.
bool PlaceFormOnWorkArea(QWidget& form, Platform& platform);

} // namespace velmora
