// SPDX-License-Identifier: MIT
#pragma once

namespace velmora {

// Chooses how the program talks to the window system, before the application object is
// made. Must be called first in main.
void PrepareApplicationPlatform();

// False, after saying so on stderr, when there is no display to open windows on and no Qt
// platform was chosen: better than Qt's abort.
bool HasDisplay();

} // namespace velmora
