// SPDX-License-Identifier: MIT
#pragma once

namespace velmora {

// The preview's size in twips: a picture of the given natural size (in twips) fitted into
// the square box, in single precision as the box's properties are held.
struct PreviewSize {
    float width;
    float height;
};

inline constexpr float kPreviewSquare = 2175.0f;

PreviewSize FitPreview(float pictureWidth, float pictureHeight);

} // namespace velmora
