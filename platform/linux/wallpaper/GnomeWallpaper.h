#pragma once

#include "DesktopWallpaper.h"

typedef struct _GSettings GSettings;

namespace velmora::linux_impl {

// GNOME and the desktops built on its settings (Budgie, Unity, Pantheon, GNOME Classic and
// Flashback): the keys of org.gnome.desktop.background.
class GnomeWallpaper : public DesktopWallpaper {
  public:
    // Throws PlatformError(NotSupported) when the settings schema is not installed.
    GnomeWallpaper();
    ~GnomeWallpaper() override;
    GnomeWallpaper(const GnomeWallpaper&) = delete;
    GnomeWallpaper& operator=(const GnomeWallpaper&) = delete;

    void Set(const QString& bmpPath, int flags) override;

  private:
    void ShowPicture(const QString& file);
    void ShowNoPicture();
    QString StringOf(const char* key) const;
    void Write(const char* key, const QString& value);

    GSettings* settings_ = nullptr;
    bool hasDarkPicture_ = false;
    QString optionsBeforeRemoval_; // the arrangement to bring back after a removal
};

} // namespace velmora::linux_impl
