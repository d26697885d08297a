// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace velmora::codec {

struct Size {
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const Size&, const Size&) = default;
};

// left and top inclusive, width and height at least 1 where a region is meant.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width - 1; }
    int bottom() const { return top + height - 1; }
    bool inside(const Size& size) const {
        return left >= 0 && top >= 0 && width > 0 && height > 0 &&
               int64_t(left) + width <= size.width && int64_t(top) + height <= size.height;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Larger pictures are refused with TooLarge before anything is allocated for them.
inline constexpr int64_t kMaxPictureSide = 65535;
inline constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;

// Throws InvalidPicture for an empty or negative size and TooLarge for one too large to hold.
void CheckPictureSize(int64_t width, int64_t height);

// The size of a natural-size picture scaled to fit box, keeping its proportions.
Size FitIntoBox(const Size& natural, const Size& box);

// The middle part of a natural-size picture that has the proportions of area, at least one
// pixel each way.
Rect FillRegion(const Size& natural, const Size& area);

// region of a picture of natural size, in the pixels of the same picture at size scaled.
Rect ScaleRegion(const Rect& region, const Size& natural, const Size& scaled);

} // namespace velmora::codec
