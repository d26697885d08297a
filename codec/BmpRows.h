// SPDX-License-Identifier: MIT
#pragma once

#include "BmpLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::codec {

class ByteSource;

// Turns the stored rows of a bitmap into rows of blue, green, red bytes. Stored row 0 is
// the first row in the file: the bottom row, or the top one of a top-down bitmap.
// Transparent pixels are composed onto black, as are pixels a run-length encoding skips; an
// alpha channel that is zero in every pixel counts as no alpha at all.
class BmpRows {
  public:
    BmpRows(ByteSource& source, const BmpLayout& layout);

    // Converts count rows from stored row first, writing each 3 * width bytes at out,
    // out + outStride, ... (outStride may be negative). Run-length encoded bitmaps can only
    // be read forwards.
    void read(int first, int count, uint8_t* out, int64_t outStride);

  private:
    struct Channel {
        uint32_t mask = 0;
        int shift = 0;
        int bits = 0;
        uint8_t lut[256] = {}; // scaled values for channels of 8 bits or fewer
        uint8_t value(uint32_t pixel) const;
    };

    bool AnyAlpha();
    void convert(const uint8_t* raw, uint8_t* bgr) const;
    void decodeRunRow(uint8_t* bgr);
    int nextByte();
    void putIndex(uint8_t* bgr, int x, unsigned index) const;

    ByteSource& source_;
    const BmpLayout& layout_;
    Channel channels_[4];
    bool alpha_ = false;
    bool plainBgrx_ = false;
    std::vector<uint8_t> raw_;

    // Run-length decoding state.
    int nextRow_ = 0;
    int pendingBlankRows_ = 0;
    int pendingX_ = 0;
    bool ended_ = false;
    int64_t fileOffset_ = 0;
    size_t bufferPos_ = 0;
    size_t bufferLen_ = 0;
};

} // namespace velmora::codec
