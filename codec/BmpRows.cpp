// SPDX-License-Identifier: MIT
#include "BmpRows.h"

#include "ByteSeams.h"
#include "CodecError.h"
#include "Geometry.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace velmora::codec {

namespace {
// Rows of uncompressed bitmaps are read in chunks of about this size.
constexpr int64_t kReadChunk = 1 << 20;
constexpr size_t kRunBuffer = 64 * 1024;
} // namespace

uint8_t BmpRows::Channel::value(uint32_t pixel) const {
    const uint32_t v = (pixel & mask) >> shift;
    return bits <= 8 ? lut[v] : uint8_t(v >> (bits - 8));
}

BmpRows::BmpRows(ByteSource& source, const BmpLayout& layout) : source_(source), layout_(layout) {
    for (int i = 0; i < 4; ++i) {
        Channel& c = channels_[i];
        c.mask = layout.masks[size_t(i)];
        if (c.mask == 0)
            continue;
        c.shift = std::countr_zero(c.mask);
        c.bits = std::popcount(c.mask);
        if (c.bits <= 8) {
            const unsigned max = (1u << c.bits) - 1;
            for (unsigned v = 0; v <= max; ++v)
                c.lut[v] = uint8_t((v * 255 + max / 2) / max);
        }
    }
    alpha_ = layout.masks[3] != 0 && AnyAlpha();
    plainBgrx_ = layout.bitsPerPixel == 32 && layout.masks[0] == 0x00FF0000 &&
                 layout.masks[1] == 0x0000FF00 && layout.masks[2] == 0x000000FF && !alpha_;
    if (layout.compression == BmpCompression::Rle8 || layout.compression == BmpCompression::Rle4) {
        raw_.resize(kRunBuffer);
        fileOffset_ = layout.dataOffset;
    }
}

// Many writers declare an alpha channel and leave it zero everywhere: such a picture is
// meant to be opaque, as picture viewers show it, not wholly transparent (black).
bool BmpRows::AnyAlpha() {
    const uint32_t mask = layout_.masks[3];
    const int bytesPerPixel = layout_.bitsPerPixel / 8;
    const int64_t rowBytes = int64_t(layout_.width) * bytesPerPixel;
    const int64_t stride = layout_.stride;
    const int chunkRows = int(std::clamp<int64_t>(kReadChunk / stride, 1, layout_.height));
    raw_.resize(size_t(stride * chunkRows));
    for (int first = 0; first < layout_.height; first += chunkRows) {
        const int rows = std::min(chunkRows, layout_.height - first);
        const int64_t want = stride * (rows - 1) + rowBytes;
        if (source_.ReadAt(layout_.dataOffset + int64_t(first) * stride, raw_.data(), want) != want)
            ThrowInvalid();
        for (int r = 0; r < rows; ++r) {
            const uint8_t* p = raw_.data() + r * stride;
            for (int64_t i = 0; i < rowBytes; i += bytesPerPixel) {
                uint32_t pixel = 0;
                for (int k = 0; k < bytesPerPixel; ++k)
                    pixel |= uint32_t(p[i + k]) << (8 * k);
                if (pixel & mask)
                    return true;
            }
        }
    }
    return false;
}

void BmpRows::read(int first, int count, uint8_t* out, int64_t outStride) {
    if (first < 0 || count < 0 || first + count > layout_.height)
        ThrowInvalid();
    if (layout_.compression == BmpCompression::Rle8 ||
        layout_.compression == BmpCompression::Rle4) {
        if (first < nextRow_)
            ThrowInvalid();
        std::vector<uint8_t> skipped;
        if (first > nextRow_)
            skipped.resize(size_t(layout_.width) * 3);
        while (nextRow_ < first)
            decodeRunRow(skipped.data());
        for (int i = 0; i < count; ++i)
            decodeRunRow(out + i * outStride);
        return;
    }

    const int64_t stride = layout_.stride;
    const int64_t rowBytes = (int64_t(layout_.width) * layout_.bitsPerPixel + 7) / 8;
    const int chunkRows = int(std::clamp<int64_t>(kReadChunk / stride, 1, count ? count : 1));
    raw_.resize(size_t(stride * chunkRows));
    for (int done = 0; done < count;) {
        const int rows = std::min(chunkRows, count - done);
        const int64_t offset = layout_.dataOffset + int64_t(first + done) * stride;
        // The file was checked to hold every row, but it may have shrunk since.
        const int64_t want = stride * (rows - 1) + rowBytes;
        if (source_.ReadAt(offset, raw_.data(), want) != want)
            ThrowInvalid();
        for (int r = 0; r < rows; ++r)
            convert(raw_.data() + r * stride, out + (done + r) * outStride);
        done += rows;
    }
}

void BmpRows::convert(const uint8_t* raw, uint8_t* bgr) const {
    const int width = layout_.width;
    switch (layout_.bitsPerPixel) {
    case 1:
        for (int x = 0; x < width; ++x)
            putIndex(bgr, x, (raw[x >> 3] >> (7 - (x & 7))) & 1);
        return;
    case 4:
        for (int x = 0; x < width; ++x)
            putIndex(bgr, x, (x & 1) ? raw[x >> 1] & 0x0F : raw[x >> 1] >> 4);
        return;
    case 8:
        for (int x = 0; x < width; ++x)
            putIndex(bgr, x, raw[x]);
        return;
    case 24:
        std::memcpy(bgr, raw, size_t(width) * 3);
        return;
    default:
        break;
    }
    if (plainBgrx_) {
        for (int x = 0; x < width; ++x) {
            bgr[3 * x] = raw[4 * x];
            bgr[3 * x + 1] = raw[4 * x + 1];
            bgr[3 * x + 2] = raw[4 * x + 2];
        }
        return;
    }
    const bool sixteen = layout_.bitsPerPixel == 16;
    const bool alpha = alpha_;
    for (int x = 0; x < width; ++x) {
        const uint32_t pixel = sixteen ? uint32_t(raw[2 * x] | (raw[2 * x + 1] << 8))
                                       : uint32_t(raw[4 * x]) | (uint32_t(raw[4 * x + 1]) << 8) |
                                             (uint32_t(raw[4 * x + 2]) << 16) |
                                             (uint32_t(raw[4 * x + 3]) << 24);
        uint8_t b = channels_[2].value(pixel);
        uint8_t g = channels_[1].value(pixel);
        uint8_t r = channels_[0].value(pixel);
        if (alpha) {
            const unsigned a = channels_[3].value(pixel);
            b = uint8_t((b * a + 127) / 255);
            g = uint8_t((g * a + 127) / 255);
            r = uint8_t((r * a + 127) / 255);
        }
        bgr[3 * x] = b;
        bgr[3 * x + 1] = g;
        bgr[3 * x + 2] = r;
    }
}

void BmpRows::putIndex(uint8_t* bgr, int x, unsigned index) const {
    static constexpr std::array<uint8_t, 3> kBlack{};
    const auto& c = index < layout_.palette.size() ? layout_.palette[index] : kBlack;
    bgr[3 * x] = c[0];
    bgr[3 * x + 1] = c[1];
    bgr[3 * x + 2] = c[2];
}

int BmpRows::nextByte() {
    if (bufferPos_ == bufferLen_) {
        if (fileOffset_ >= source_.Size())
            return -1;
        bufferLen_ = size_t(source_.ReadAt(fileOffset_, raw_.data(), int64_t(raw_.size())));
        fileOffset_ += int64_t(bufferLen_);
        bufferPos_ = 0;
        if (bufferLen_ == 0)
            return -1;
    }
    return raw_[bufferPos_++];
}

// Decodes the next stored row of an RLE8 or RLE4 bitmap. A stream that ends early leaves
// the rest black, as the end-of-bitmap code does.
void BmpRows::decodeRunRow(uint8_t* bgr) {
    const int width = layout_.width;
    std::memset(bgr, 0, size_t(width) * 3);
    ++nextRow_;
    if (ended_)
        return;
    if (pendingBlankRows_ > 0) {
        --pendingBlankRows_;
        return;
    }
    const bool four = layout_.compression == BmpCompression::Rle4;
    int64_t x = pendingX_;
    pendingX_ = 0;
    for (;;) {
        const int count = nextByte();
        const int value = nextByte();
        if (count < 0 || value < 0) {
            ended_ = true;
            return;
        }
        if (count > 0) {
            for (int i = 0; i < count; ++i, ++x) {
                if (x >= width)
                    continue;
                const unsigned index =
                    four ? ((i & 1) ? value & 0x0F : value >> 4) : unsigned(value);
                putIndex(bgr, int(x), index);
            }
            continue;
        }
        if (value == 0) // end of row
            return;
        if (value == 1) { // end of bitmap
            ended_ = true;
            return;
        }
        if (value == 2) { // move right and up
            const int dx = nextByte();
            const int dy = nextByte();
            if (dx < 0 || dy < 0) {
                ended_ = true;
                return;
            }
            x += dx;
            if (dy > 0) {
                pendingBlankRows_ = dy - 1;
                pendingX_ = int(std::min<int64_t>(x, width));
                return;
            }
            continue;
        }
        // Literal pixels, padded to a 16-bit boundary.
        const int bytes = four ? (value + 1) / 2 : value;
        int byte = 0;
        for (int i = 0; i < value; ++i, ++x) {
            if (!four || (i & 1) == 0) {
                byte = nextByte();
                if (byte < 0) {
                    ended_ = true;
                    return;
                }
            }
            if (x < width)
                putIndex(bgr, int(x), four ? ((i & 1) ? byte & 0x0F : byte >> 4) : unsigned(byte));
        }
        if (bytes & 1)
            nextByte();
    }
}

} // namespace velmora::codec
