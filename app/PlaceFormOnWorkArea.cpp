// SPDX-License-Identifier: MIT
#include "PlaceFormOnWorkArea.h"

#include "Platform.h"
#include "Twips.h"

#include <QWidget>

#include <cmath>

namespace velmora {

void PlaceFormOnWorkArea(QWidget& form, Platform& platform) {
    const std::optional<QRect> area = platform.GetWorkArea();
    if (!area)
        return;
    // The work area's bottom edge as an exclusive coordinate, like a Windows RECT.
    const double bottom = area->y() + area->height();
    const double leftTwips = area->x() * platform.TwipsPerPixelX();
    const double outerHeightTwips = PixelsToTwips(form.frameGeometry().height());
    const double topTwips = bottom * platform.TwipsPerPixelY() - outerHeightTwips;
    form.move(static_cast<int>(std::lround(leftTwips / platform.TwipsPerPixelX())),
              static_cast<int>(std::lround(topTwips / platform.TwipsPerPixelY())));
}

} // namespace velmora
