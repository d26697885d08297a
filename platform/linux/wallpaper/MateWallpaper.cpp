#include "MateWallpaper.h"

#include "PlatformError.h"

namespace velmora::linux_impl {

void MateWallpaper::Set(const QString&, int) {
    throw PlatformError(Err::NotSupported,
                        QStringLiteral("このデスクトップでは壁紙を設定する方法がわかりません。"));
}

} // namespace velmora::linux_impl
