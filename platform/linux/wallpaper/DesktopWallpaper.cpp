#include "DesktopWallpaper.h"

#include "DesktopDetect.h"
#include "GnomeWallpaper.h"
#include "UnsupportedWallpaper.h"
#include "X11RootWallpaper.h"

namespace velmora::linux_impl {

std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper() {
    switch (DetectDesktop(QProcessEnvironment::systemEnvironment())) {
    case DesktopKind::Gnome:
        return std::make_unique<GnomeWallpaper>();
    case DesktopKind::X11Root:
        return std::make_unique<X11RootWallpaper>();
    case DesktopKind::Unsupported:
        break;
    }
    return std::make_unique<UnsupportedWallpaper>();
}

} // namespace velmora::linux_impl
