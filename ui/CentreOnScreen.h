// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace velmora {

// Centres a window on its screen, frame and title bar included. Before its first showing a
// window does not know its own frame yet; the frame of the window it belongs to, drawn by
// the same window manager, is then the best guess.
// Once the window manager has drawn the frame, a guess that was wrong is mended: the window
// is centred again, once.
void CentreOnScreen(QWidget& window);

} // namespace velmora
