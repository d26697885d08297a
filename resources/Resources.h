// SPDX-License-Identifier: MIT
#pragma once

namespace velmora {

// Registers the compiled-in pictures; safe to call more than once.
void InitResources();

} // namespace velmora
