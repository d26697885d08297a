// SPDX-License-Identifier: MIT
#pragma once

namespace velmora {

// Where "<" and ">" go in a list whose last index is ubound (at least 0). current may lie
// outside a list that has shrunk since the last step.
inline int PrevIndex(int current, int ubound) {
    const int index = current - 1;
    return index < 0 || index > ubound ? ubound : index;
}

inline int NextIndex(int current, int ubound) {
    const int index = current + 1;
    return index > ubound || index < 0 ? 0 : index;
}

} // namespace velmora
