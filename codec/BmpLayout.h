// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace velmora::codec {

class ByteSource;

enum class BmpCompression { None, Rle8, Rle4, BitFields };

// Where and how a bitmap file stores its pixels, as read from its headers.
struct BmpLayout {
    int width = 0;
    int height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    int bitsPerPixel = 0;
    BmpCompression compression = BmpCompression::None;
    // Red, green, blue and alpha masks of 16- and 32-bit pixels; a zero alpha mask is opaque.
    std::array<uint32_t, 4> masks{};
    std::vector<std::array<uint8_t, 3>> palette; // blue, green, red
    int64_t dataOffset = 0;
    int64_t stride = 0; // bytes per stored row when not run-length encoded

    // Stored exactly as a bottom-up 24-bit bitmap is written: its rows can be copied as they are.
    bool isPlainBgr24() const {
        return bitsPerPixel == 24 && compression == BmpCompression::None && !topDown;
    }
};

// Reads the headers at the start of source. Throws 481 for anything that is not a bitmap
// this program can read, or whose declared pixels do not fit in the file, and 7 for
// pictures too large to hold.
BmpLayout ReadBmpLayout(ByteSource& source);

} // namespace velmora::codec
