// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>

namespace velmora {

// Room for a buffer that is made again and again at a slowly growing size: the list file and
// everything made from it grow by an entry per picture. Rounded up to an eighth of its order
// of magnitude, each new buffer fits where its forerunner was freed, for hundreds of
// pictures, instead of taking pages the heap has not used yet.
inline std::size_t RoomFor(std::size_t size) {
    const std::size_t step = std::max<std::size_t>(std::bit_floor(size) / 8, 1);
    return (size + step - 1) / step * step;
}

} // namespace velmora
