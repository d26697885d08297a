#pragma once

#include "Platform.h"

namespace velmora::linux_impl {

// Reads and checks only the header: BMP or JPEG by content (481 otherwise), natural size,
// and refuses pictures too large to hold (7) before anything is allocated.
PictureInfo ReadPictureHeader(const QString& path);

// Writes the whole picture as a bottom-up 24-bit BMP at its own size, atomically, without
// holding the whole decoded picture in memory.
void WriteBitmapFile(const PictureInfo& picture, const QString& bmpPath);

// Decodes the picture at a reduced size that still covers box (in pixels), reading only
// what that size needs. The result has the picture's proportions and fills the box in one
// direction exactly.
QImage DecodeForBox(const PictureInfo& picture, const QSize& box);

// The size of a natural-size picture scaled to fit box, keeping its proportions.
QSize FitIntoBox(const QSize& natural, const QSize& box);

} // namespace velmora::linux_impl
