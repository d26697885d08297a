// SPDX-License-Identifier: MIT
#include "MateWallpaper.h"

#include "PictureStep.h"

#include <QFile>

namespace velmora::linux_impl {

namespace {
constexpr const char* kSolid = "solid";
} // namespace

MateWallpaper::MateWallpaper() : keys_("org.mate.background", QStringLiteral("MATE")) {}

void MateWallpaper::Set(const QString& bmpPath, int flags) {
    // As on GNOME, every change is stored: flags 0 and 3 both store.
    if (bmpPath.isEmpty())
        ShowNoPicture();
    else
        ShowPicture(
            PictureForStep(bmpPath, flags, QFile::encodeName(keys_.String("picture-filename"))));
    GSettingsKeys::Sync();
}

void MateWallpaper::ShowPicture(const QString& file) {
    if (keys_.String("picture-filename").isEmpty() && !shadingBeforeRemoval_.isEmpty()) {
        keys_.Write("color-shading-type", shadingBeforeRemoval_);
        shadingBeforeRemoval_.clear();
    }
    keys_.Write("picture-filename", file);
}

void MateWallpaper::ShowNoPicture() {
    if (keys_.String("picture-filename").isEmpty() &&
        keys_.String("color-shading-type") == QLatin1String(kSolid))
        return;
    // Only the shading this removal replaced is worth bringing back.
    if (!keys_.String("picture-filename").isEmpty())
        shadingBeforeRemoval_ = keys_.String("color-shading-type");
    keys_.Write("color-shading-type", QString::fromLatin1(kSolid));
    keys_.Write("picture-filename", QString());
}

} // namespace velmora::linux_impl
