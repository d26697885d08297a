// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>

namespace velmora::pictures {

// The register button's picture: a hammer with a black head and a red handle, 24 x 24 times
// scale, on a transparent ground so that it sits on any button face.
QImage Hammer(int scale);

} // namespace velmora::pictures
