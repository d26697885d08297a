// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>

namespace velmora::pictures {

// The program's icon: a framed landscape. One drawing, three forms.
QImage IconSixteenColours(); // 32 x 32, the classic 16-colour palette, transparent corners
QImage IconSmooth(int size); // antialiased, for desktop menus
QByteArray IconSvg();        // the same drawing as a scalable picture

} // namespace velmora::pictures
