// SPDX-License-Identifier: MIT
#include "HeadlessPlatform.h"

#include "QtText.h"

namespace velmora::test {

HeadlessPlatform::HeadlessPlatform(QString appFolder) : appFolder_(std::move(appFolder)) {}

std::string HeadlessPlatform::AppFolder() {
    return ToUtf8(appFolder_);
}

int HeadlessPlatform::MsgBox(const std::string& text, int style, const std::string& title) {
    boxes.append({FromUtf8(text), style, FromUtf8(title)});
    return style == kRemovalQuestionStyle ? MsgBoxResult::Yes : MsgBoxResult::Ok;
}

int HeadlessPlatform::GetDriveType(const std::string& root) {
    return driveType ? *driveType : LinuxPlatform::GetDriveType(root);
}

void HeadlessPlatform::SetDeskWallpaper(const std::string& bmpPath, int flags) {
    wallpapers.append({FromUtf8(bmpPath), flags});
}

int HeadlessPlatform::ErrorNumberOf(const Box& box) {
    if (box.title != QStringLiteral("エラー") || box.style != MsgBoxStyle::Critical)
        return 0;
    const qsizetype colon = box.text.indexOf(u':');
    bool isNumber = false;
    const int number = colon > 0 ? box.text.left(colon).toInt(&isNumber) : 0;
    return isNumber ? number : 0;
}

} // namespace velmora::test
