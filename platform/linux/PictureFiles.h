// SPDX-License-Identifier: MIT
#pragma once

#include "PictureFile.h"

#include <QImage>
#include <QRect>

namespace velmora::linux_impl {

// Reads and checks only the header: BMP or JPEG by content (481 otherwise), natural size,
// and refuses pictures too large to hold (7) before anything is allocated.
PictureFile ReadPictureHeader(const QString& path);

// Writes the whole picture as a bottom-up 24-bit BMP at its own size, atomically, without
// holding the whole decoded picture in memory.
void WriteBitmapFile(const PictureFile& picture, const QString& bmpPath);

// Decodes the picture at a reduced size that still covers box (in pixels), reading only
// what that size needs. The result has the picture's proportions and fills the box in one
// direction exactly.
QImage DecodeForBox(const PictureFile& picture, const QSize& box);

// The picture filling an area of the given size as a wallpaper does: its middle part with
// the area's proportions, scaled to exactly that size, in QImage::Format_RGB32. Only that
// part is decoded, a row at a time, so memory follows the area, whatever the picture.
QImage DecodeToFill(const PictureFile& picture, const QSize& area);

// The middle part of a natural-size picture that has the proportions of area, at least one
// pixel each way.
QRect FillRegion(const QSize& natural, const QSize& area);

// The size of a natural-size picture scaled to fit box, keeping its proportions.
QSize FitIntoBox(const QSize& natural, const QSize& box);

} // namespace velmora::linux_impl
