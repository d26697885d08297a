#pragma once

#include <QImage>
#include <QSize>

namespace velmora::linux_impl {

// picture scaled to cover an area of the given size keeping its proportions, centred, the
// overflow cut off: exactly that size, in QImage::Format_RGB32.
QImage FillPicture(const QImage& picture, const QSize& area);

} // namespace velmora::linux_impl
