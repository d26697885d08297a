#pragma once

#include "DesktopWallpaper.h"

#include <QString>

namespace velmora::linux_impl {

// LXDE and LXQt: the desktop's file manager (pcmanfm, pcmanfm-qt) sets it.
class PcmanfmWallpaper : public DesktopWallpaper {
  public:
    explicit PcmanfmWallpaper(QString program) : program_(std::move(program)) {}
    void Set(const QString& bmpPath, int flags) override;

  private:
    QString program_;
};

} // namespace velmora::linux_impl
