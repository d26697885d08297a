// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace velmora {

class Platform;

// Centres a window on its screen, frame and title bar included. Before its first showing a
// window does not know its own frame yet; the frame of the window it belongs to, drawn by
// the same window manager, is then the best guess, and the window is centred again once the
// window manager has told its frame.
void CentreOnScreen(QWidget& window, Platform& platform);

} // namespace velmora
