// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>

namespace velmora::pictures {

// The About window's picture: a waterfall between trees under a blue sky, painted to look
// like a photograph and then laid out in mosaic tiles of `tile` pixels.
QImage WaterfallScene(int width, int height);
QImage Mosaic(const QImage& image, int tile);

} // namespace velmora::pictures
