// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopWallpaper.h"
#include "GSettingsKeys.h"

namespace velmora::linux_impl {

// Desktops that keep their background in GSettings as a picture URI and an arrangement,
// the arrangement 'none' meaning no picture: GNOME and Cinnamon.
class PictureUriWallpaper : public DesktopWallpaper {
  public:
    void Set(const QString& bmpPath, int flags) override;

  protected:
    // Throws PlatformError(NotSupported) when the schema is not installed.
    PictureUriWallpaper(const char* schema, const QString& desktop);

  private:
    void ShowPicture(const QString& file);
    void ShowNoPicture();

    GSettingsKeys keys_;
    bool hasDarkPicture_ = false;
    QString optionsBeforeRemoval_; // the arrangement to bring back after a removal
};

} // namespace velmora::linux_impl
