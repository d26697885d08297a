// SPDX-License-Identifier: MIT
#pragma once

#include "Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::codec {

class ByteSink;
class ByteSource;

enum class PictureKind { Bmp, Jpeg };

struct PictureHeader {
    PictureKind kind = PictureKind::Bmp;
    Size size;
};

// Decoded pixels, rows top first, each pixel 0xFFRRGGBB in native byte order (the layout
// of a 32-bit RGB image in the usual toolkits), width pixels per row.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    // Throws TooLarge where the memory cannot be had.
    PixelBuffer(int width, int height);
    uint32_t* row(int y) { return pixels.data() + std::size_t(y) * std::size_t(width); }
    const uint32_t* row(int y) const { return pixels.data() + std::size_t(y) * std::size_t(width); }
};

inline uint32_t Rgb(unsigned red, unsigned green, unsigned blue) {
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// Every operation reads the kind from the content (a BMP or a JPEG, InvalidPicture
// otherwise) and refuses pictures too large to hold (TooLarge) before allocating for them.

// Reads and checks only the header: the kind and the natural size.
PictureHeader ReadHeader(ByteSource& source);

// Writes the whole picture as a bottom-up 24-bit BMP at its own size into sink, a band of
// rows at a time, and commits the sink only when every row is written.
void WriteBitmap(ByteSource& source, ByteSink& sink);

// The picture at a reduced size that still covers box, reading only what that size needs,
// with the picture's proportions; the caller scales it to FitIntoBox(natural, box).
PixelBuffer DecodeCovering(ByteSource& source, const Size& box, Size& natural);

// The part FillRegion(natural, area) of the picture, no larger than area either way: only
// that part is decoded, a row at a time, so memory follows the area. The caller scales it
// up to area where it is smaller.
PixelBuffer DecodeFillPart(ByteSource& source, const Size& area);

} // namespace velmora::codec
