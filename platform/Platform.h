// SPDX-License-Identifier: MIT
#pragma once

#include "PlatformError.h"
#include "SystemServices.h"

#include <QImage>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class QObject;
class QWindow;

namespace velmora {

class MountWatcher;

// What the Qt windows use: the system services of the core, and the services of the Qt
// user interface itself (message boxes, the work area, twips, previews as images, the
// watcher of the volumes). Strings cross into the core as UTF-8 (ui/QtText.h).
class Platform : public SystemServices, public Messages {
  public:
    // The desktop work area in pixels, or nothing when it cannot be had.
    virtual std::optional<QRect> GetWorkArea() = 0;
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;
    // The frame the window manager has drawn around a shown top-level window, as it tells
    // it itself; nothing before it has, or with no window manager.
    virtual std::optional<QMargins> GetWindowFrame(QWindow& window) = 0;

    // The picture decoded for a box of the given size in pixels: never smaller than needed
    // to fill the box, usually much smaller than the natural size.
    virtual QImage LoadPreview(const PictureInfo& picture, const QSize& box) = 0;

    // A watcher, owned by parent, that signals when the volumes ListDrives answers change.
    virtual MountWatcher* WatchMounts(QObject* parent);
};

// The platform this program is built for.
std::unique_ptr<Platform> CreatePlatform();

} // namespace velmora
