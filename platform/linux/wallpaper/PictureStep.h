// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::linux_impl {

// The file a desktop that caches by file name is to be shown for one step, given the file
// it shows now (as the file system spells it; empty when unknown).
// A session step (flags 0) alternates between bmpPath and its second name (AlternateFile.h),
// both holding the new picture, so the name always changes. The stored step (flags 3) names
// bmpPath itself, so the stored setting points at the program's bitmap.
// Throws PlatformError(FileNotFound) when bmpPath does not exist.
QString PictureForStep(const QString& bmpPath, int flags, const QByteArray& shownNow);

} // namespace velmora::linux_impl
