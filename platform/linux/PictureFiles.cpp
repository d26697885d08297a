#include "PictureFiles.h"

#include "PlatformError.h"

namespace velmora::linux_impl {

PictureInfo ReadPictureHeader(const QString&) { throw PlatformError(Err::NotSupported); }
void WriteBitmapFile(const PictureInfo&, const QString&) { throw PlatformError(Err::NotSupported); }
QImage DecodeForBox(const PictureInfo&, const QSize&) { throw PlatformError(Err::NotSupported); }

} // namespace velmora::linux_impl
