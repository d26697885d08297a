// SPDX-License-Identifier: MIT
#include "PlaceFormOnWorkArea.h"

#include "Platform.h"
#include "Twips.h"
#include "WindowFrame.h"

#include <QWidget>

#include <cmath>

namespace velmora {

bool PlaceFormOnWorkArea(QWidget& form, Platform& platform) {
    const std::optional<QMargins> known = KnownFrame(form, platform);
    const std::optional<QRect> area = platform.GetWorkArea();
    if (!area)
        return known.has_value();
    // The work area's bottom edge as an exclusive coordinate, like a Windows RECT.
    const double bottom = area->y() + area->height();
    const double leftTwips = area->x() * platform.TwipsPerPixelX();
    const QMargins frame = known.value_or(QMargins());
    const double outerHeightTwips = PixelsToTwips(form.height() + frame.top() + frame.bottom());
    const double topTwips = bottom * platform.TwipsPerPixelY() - outerHeightTwips;
    MoveFrameTo(form,
                QPoint(static_cast<int>(std::lround(leftTwips / platform.TwipsPerPixelX())),
                       static_cast<int>(std::lround(topTwips / platform.TwipsPerPixelY()))),
                frame);
    return known.has_value();
}

} // namespace velmora
