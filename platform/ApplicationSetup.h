#pragma once

namespace velmora {

// Chooses how the program talks to the window system, before the application object is
// made. Must be called first in main.
void PrepareApplicationPlatform();

} // namespace velmora
