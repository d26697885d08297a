// SPDX-License-Identifier: MIT
#include "HeadlessPlatform.h"

#include "QtText.h"

namespace velmora::test {

HeadlessPlatform::HeadlessPlatform(QString appFolder) : appFolder_(std::move(appFolder)) {
    yesToRemoval = true;
}

std::string HeadlessPlatform::AppFolder() {
    return ToUtf8(appFolder_);
}

int HeadlessPlatform::GetDriveType(const std::string& root) {
    return driveType ? *driveType : LinuxPlatform::GetDriveType(root);
}

void HeadlessPlatform::SetDeskWallpaper(const std::string& bmpPath, int flags) {
    wallpapers.append({FromUtf8(bmpPath), flags});
}

} // namespace velmora::test
