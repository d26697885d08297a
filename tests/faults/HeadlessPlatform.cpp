// SPDX-License-Identifier: MIT
#include "HeadlessPlatform.h"

namespace velmora::test {

HeadlessPlatform::HeadlessPlatform(QString appFolder) : appFolder_(std::move(appFolder)) {}

QString HeadlessPlatform::AppFolder() {
    return appFolder_;
}

int HeadlessPlatform::MsgBox(const QString& text, int style, const QString& title) {
    boxes.append({text, style, title});
    return style == kRemovalQuestionStyle ? MsgBoxResult::Yes : MsgBoxResult::Ok;
}

int HeadlessPlatform::GetDriveType(const QString& root) {
    return driveType ? *driveType : LinuxPlatform::GetDriveType(root);
}

void HeadlessPlatform::SetDeskWallpaper(const QString& bmpPath, int flags) {
    wallpapers.append({bmpPath, flags});
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
