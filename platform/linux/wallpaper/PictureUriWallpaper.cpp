// SPDX-License-Identifier: MIT
#include "PictureUriWallpaper.h"

#include "PictureStep.h"

namespace velmora::linux_impl {

namespace {
constexpr const char* kNoPicture = "none";
constexpr const char* kDefaultOptions = "zoom";
} // namespace

PictureUriWallpaper::PictureUriWallpaper(const char* schema, const QString& desktop)
    : keys_(schema, desktop), hasDarkPicture_(keys_.Has("picture-uri-dark")) {}

void PictureUriWallpaper::Set(const QString& bmpPath, int flags) {
    // GSettings stores every change in the user's settings: there is no session-only
    // change, so flags 0 and 3 both store.
    if (bmpPath.isEmpty())
        ShowNoPicture();
    else
        ShowPicture(PictureForStep(bmpPath, flags, FileOfUri(keys_.String("picture-uri"))));
    // Make sure the change has reached the settings store before the program may end.
    GSettingsKeys::Sync();
}

void PictureUriWallpaper::ShowPicture(const QString& file) {
    const QString uri = FileUriOf(file);
    if (keys_.String("picture-options") == QLatin1String(kNoPicture))
        keys_.Write("picture-options", optionsBeforeRemoval_.isEmpty()
                                           ? QString::fromLatin1(kDefaultOptions)
                                           : optionsBeforeRemoval_);
    keys_.Write("picture-uri", uri);
    if (hasDarkPicture_)
        keys_.Write("picture-uri-dark", uri);
}

void PictureUriWallpaper::ShowNoPicture() {
    const QString options = keys_.String("picture-options");
    if (options == QLatin1String(kNoPicture))
        return;
    optionsBeforeRemoval_ = options;
    keys_.Write("picture-options", QString::fromLatin1(kNoPicture));
}

} // namespace velmora::linux_impl
