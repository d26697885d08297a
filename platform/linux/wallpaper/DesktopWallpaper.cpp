// SPDX-License-Identifier: MIT
#include "DesktopWallpaper.h"

#include "CinnamonWallpaper.h"
#include "DeepinWallpaper.h"
#include "DesktopDetect.h"
#include "GnomeWallpaper.h"
#include "MateWallpaper.h"
#include "PcmanfmWallpaper.h"
#include "PlasmaWallpaper.h"
#include "SwayWallpaper.h"
#include "SwaybgWallpaper.h"
#include "UnsupportedWallpaper.h"
#include "X11RootWallpaper.h"
#include "XfceWallpaper.h"

namespace velmora::linux_impl {

std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper(DesktopKind kind) {
    switch (kind) {
    case DesktopKind::Gnome:
        return std::make_unique<GnomeWallpaper>();
    case DesktopKind::Cinnamon:
        return std::make_unique<CinnamonWallpaper>();
    case DesktopKind::Mate:
        return std::make_unique<MateWallpaper>();
    case DesktopKind::Deepin:
        return std::make_unique<DeepinWallpaper>();
    case DesktopKind::Plasma:
        return std::make_unique<PlasmaWallpaper>();
    case DesktopKind::Xfce:
        RequireXfceDesktop();
        return std::make_unique<XfceWallpaper>();
    case DesktopKind::Lxde:
        return std::make_unique<PcmanfmWallpaper>(QStringLiteral("pcmanfm"));
    case DesktopKind::Lxqt:
        return std::make_unique<PcmanfmWallpaper>(QStringLiteral("pcmanfm-qt"));
    case DesktopKind::Sway:
        return std::make_unique<SwayWallpaper>();
    case DesktopKind::Wlroots:
        return std::make_unique<SwaybgWallpaper>();
    case DesktopKind::X11Root:
        return std::make_unique<X11RootWallpaper>();
    case DesktopKind::Unsupported:
        break;
    }
    return std::make_unique<UnsupportedWallpaper>();
}

std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper() {
    DesktopKind kind = DetectDesktop(QProcessEnvironment::systemEnvironment());
    // A desktop window over the root hides the root pixmap: its own desktop's way is needed.
    if (kind == DesktopKind::X11Root) {
        if (const std::optional<DesktopKind> owner = DesktopOfDesktopWindow())
            kind = *owner;
    }
    return CreateDesktopWallpaper(kind);
}

} // namespace velmora::linux_impl
