// SPDX-License-Identifier: MIT
#include "PreviewBox.h"

namespace velmora {

PreviewSize FitPreview(float pictureWidth, float pictureHeight) {
    PreviewSize box{kPreviewSquare, kPreviewSquare};
    if (pictureWidth > pictureHeight) {
        const float r = pictureWidth / pictureHeight;
        box.height = box.height / r;
    } else {
        const float r = pictureHeight / pictureWidth;
        box.width = box.width / r;
    }
    return box;
}

} // namespace velmora
