// SPDX-License-Identifier: MIT
#include "BmpLayout.h"

#include "ByteSeams.h"
#include "CodecError.h"
#include "Geometry.h"

#include <algorithm>
#include <bit>

namespace velmora::codec {

namespace {

constexpr int kFileHeaderSize = 14;

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A mask must be one run of bits inside the pixel.
bool MaskUsable(uint32_t mask, int bitsPerPixel) {
    if (bitsPerPixel < 32 && (mask >> bitsPerPixel) != 0)
        return false;
    if (mask == 0)
        return true;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

} // namespace

BmpLayout ReadBmpLayout(ByteSource& source) {
    // The file header, the largest info header, masks and a full palette.
    uint8_t head[kFileHeaderSize + 124 + 16 + 256 * 4] = {};
    const int64_t got = source.ReadAt(0, head, sizeof head);
    if (got < kFileHeaderSize + 12 || head[0] != 'B' || head[1] != 'M')
        ThrowInvalid();

    BmpLayout layout;
    layout.dataOffset = U32(head + 10);
    const uint32_t headerSize = U32(head + 14);
    const uint8_t* info = head + kFileHeaderSize;
    int paletteEntrySize = 4;
    uint32_t colorsUsed = 0;
    int64_t width = 0;
    int64_t height = 0;
    int64_t masksAfterHeader = 0;
    uint32_t compression = 0;

    if (headerSize == 12) { // OS/2 and Windows 2 core header
        width = U16(info + 4);
        height = U16(info + 6);
        layout.bitsPerPixel = U16(info + 10);
        paletteEntrySize = 3;
        if (layout.bitsPerPixel != 1 && layout.bitsPerPixel != 4 && layout.bitsPerPixel != 8 &&
            layout.bitsPerPixel != 24)
            ThrowInvalid();
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
               headerSize == 108 || headerSize == 124) {
        if (got < kFileHeaderSize + int64_t(headerSize))
            ThrowInvalid();
        width = int32_t(U32(info + 4));
        const int32_t rawHeight = int32_t(U32(info + 8));
        if (rawHeight == INT32_MIN)
            ThrowInvalid();
        height = rawHeight;
        layout.bitsPerPixel = U16(info + 14);
        compression = U32(info + 16);
        colorsUsed = U32(info + 32);
        if (height < 0) {
            layout.topDown = true;
            height = -height;
        }
        switch (layout.bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            ThrowInvalid();
        }
        switch (compression) {
        case 0:
            break;
        case 1:
            layout.compression = BmpCompression::Rle8;
            if (layout.bitsPerPixel != 8)
                ThrowInvalid();
            break;
        case 2:
            layout.compression = BmpCompression::Rle4;
            if (layout.bitsPerPixel != 4)
                ThrowInvalid();
            break;
        case 3: // bit fields; for the OS/2 2.x header, Huffman coding
        case 6: // bit fields with alpha
            if (headerSize == 64 || (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 32))
                ThrowInvalid();
            layout.compression = BmpCompression::BitFields;
            if (headerSize == 40)
                masksAfterHeader = compression == 6 ? 16 : 12;
            break;
        default: // embedded JPEG or PNG, RLE24
            ThrowInvalid();
        }
        if (layout.topDown && layout.compression != BmpCompression::None &&
            layout.compression != BmpCompression::BitFields)
            ThrowInvalid();
    } else {
        ThrowInvalid();
    }

    if (width <= 0 || height <= 0)
        ThrowInvalid();
    CheckPictureSize(width, height);
    layout.width = int(width);
    layout.height = int(height);

    const int64_t tablesStart = kFileHeaderSize + headerSize;
    if (layout.dataOffset < tablesStart + masksAfterHeader || layout.dataOffset >= source.Size())
        ThrowInvalid();

    if (layout.bitsPerPixel == 16 || layout.bitsPerPixel == 32) {
        if (layout.compression == BmpCompression::BitFields) {
            const uint8_t* m = masksAfterHeader ? head + tablesStart : info + 40;
            const int count = (masksAfterHeader == 16 || headerSize >= 56) ? 4 : 3;
            for (int i = 0; i < count; ++i)
                layout.masks[i] = U32(m + 4 * i);
        } else if (layout.bitsPerPixel == 16) {
            layout.masks = {0x7C00, 0x03E0, 0x001F, 0};
        } else {
            layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
            // Newer headers may declare the fourth byte as alpha even without bit fields.
            if (headerSize >= 56 && U32(info + 52) == 0xFF000000)
                layout.masks[3] = 0xFF000000;
        }
        for (uint32_t mask : layout.masks)
            if (!MaskUsable(mask, layout.bitsPerPixel))
                ThrowInvalid();
        if ((layout.masks[0] | layout.masks[1] | layout.masks[2]) == 0)
            ThrowInvalid();
    }

    if (layout.bitsPerPixel <= 8) {
        const int64_t maxColors = int64_t(1) << layout.bitsPerPixel;
        int64_t colors = colorsUsed == 0 ? maxColors : std::min<int64_t>(colorsUsed, maxColors);
        const int64_t paletteStart = tablesStart + masksAfterHeader;
        colors = std::min(colors, (layout.dataOffset - paletteStart) / paletteEntrySize);
        if (colors <= 0 || paletteStart + colors * paletteEntrySize > got)
            ThrowInvalid();
        layout.palette.resize(size_t(colors));
        for (int64_t i = 0; i < colors; ++i) {
            const uint8_t* e = head + paletteStart + i * paletteEntrySize;
            layout.palette[size_t(i)] = {e[0], e[1], e[2]};
        }
    }

    layout.stride = (width * layout.bitsPerPixel + 31) / 32 * 4;
    if (layout.compression == BmpCompression::None ||
        layout.compression == BmpCompression::BitFields) {
        // The last row may lack its padding; anything shorter is a damaged file.
        const int64_t lastRowBytes = (width * layout.bitsPerPixel + 7) / 8;
        if (layout.dataOffset + layout.stride * (height - 1) + lastRowBytes > source.Size())
            ThrowInvalid();
    }
    return layout;
}

} // namespace velmora::codec
