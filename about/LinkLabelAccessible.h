// SPDX-License-Identifier: MIT
#pragma once

namespace velmora {

// Makes screen readers see every LinkLabel as a link that can be pressed; safe to call more
// than once.
void InstallLinkLabelAccessible();

} // namespace velmora
