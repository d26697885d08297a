#include "DesktopWallpaper.h"

#include "PlatformError.h"

namespace velmora::linux_impl {

namespace {
class Unsupported : public DesktopWallpaper {
public:
    void Set(const QString&, int) override { throw PlatformError(Err::NotSupported); }
};
} // namespace

std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper() {
    return std::make_unique<Unsupported>();
}

} // namespace velmora::linux_impl
