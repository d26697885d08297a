// SPDX-License-Identifier: MIT
#include "Geometry.h"

#include "CodecError.h"

#include <algorithm>

namespace velmora::codec {

void CheckPictureSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        ThrowInvalid();
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        ThrowTooLarge();
}

Size FitIntoBox(const Size& natural, const Size& box) {
    const int64_t w = std::max(1, natural.width);
    const int64_t h = std::max(1, natural.height);
    const int64_t bw = std::clamp<int64_t>(box.width, 1, kMaxPictureSide);
    const int64_t bh = std::clamp<int64_t>(box.height, 1, kMaxPictureSide);
    if (w * bh >= h * bw)
        return {int(bw), int(std::max<int64_t>(1, (h * bw * 2 + w) / (2 * w)))};
    return {int(std::max<int64_t>(1, (w * bh * 2 + h) / (2 * h))), int(bh)};
}

Rect FillRegion(const Size& natural, const Size& area) {
    const int64_t w = natural.width, h = natural.height;
    const int64_t aw = std::max(1, area.width), ah = std::max(1, area.height);
    Size part;
    if (w * ah >= h * aw) // wider than the area: its full height, the sides cut off
        part = {int(std::clamp<int64_t>((h * aw * 2 + ah) / (2 * ah), 1, w)), int(h)};
    else
        part = {int(w), int(std::clamp<int64_t>((w * ah * 2 + aw) / (2 * aw), 1, h))};
    return {int(w - part.width) / 2, int(h - part.height) / 2, part.width, part.height};
}

Rect ScaleRegion(const Rect& region, const Size& natural, const Size& scaled) {
    auto at = [](int64_t v, int64_t to, int64_t from) { return v * to / from; };
    auto upTo = [](int64_t v, int64_t to, int64_t from) { return (v * to + from - 1) / from; };
    const int left = int(at(region.left, scaled.width, natural.width));
    const int top = int(at(region.top, scaled.height, natural.height));
    const int right = int(
        std::clamp<int64_t>(upTo(region.left + int64_t(region.width), scaled.width, natural.width),
                            left + 1, scaled.width));
    const int bottom = int(std::clamp<int64_t>(
        upTo(region.top + int64_t(region.height), scaled.height, natural.height), top + 1,
        scaled.height));
    return {left, top, right - left, bottom - top};
}

} // namespace velmora::codec
