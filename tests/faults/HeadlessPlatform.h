// SPDX-License-Identifier: MIT
// The real Linux services for test programs that run unattended: message boxes are
// recorded and answered instead of shown, the application folder is a test folder, volumes
// can be made to count as removable, and the desktop is left alone.
#pragma once

#include "LinuxPlatform.h"
#include "MessageRecorder.h"

#include <QList>
#include <QString>

#include <optional>

namespace velmora::test {

class HeadlessPlatform : public LinuxPlatform, public MessageRecorder {
  public:
    struct Wallpaper {
        QString bmpPath;
        int flags = 0;
    };

    explicit HeadlessPlatform(QString appFolder);

    QList<Wallpaper> wallpapers;
    // Answered for every volume when set, so that registering copies into Pic/.
    std::optional<int> driveType;

    std::string AppFolder() override;
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        return Record(text, style, title);
    }
    int GetDriveType(const std::string& root) override;
    void SetDeskWallpaper(const std::string& bmpPath, int flags) override;

  private:
    QString appFolder_;
};

} // namespace velmora::test
