#pragma once

#include <QImage>

namespace velmora::pictures {

// The register button's picture: a hammer with a black head and a red handle on silver.
QImage Hammer(); // 24 x 24

} // namespace velmora::pictures
