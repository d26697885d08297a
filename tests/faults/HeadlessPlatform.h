// SPDX-License-Identifier: MIT
// The real Linux services for test programs that run unattended: message boxes are
// recorded and answered instead of shown, the application folder is a test folder, volumes
// can be made to count as removable, and the desktop is left alone.
#pragma once

#include "LinuxPlatform.h"

#include <QList>
#include <QString>

#include <optional>

namespace velmora::test {

class HeadlessPlatform : public LinuxPlatform {
  public:
    struct Box {
        QString text;
        int style = 0;
        QString title;
    };
    struct Wallpaper {
        QString bmpPath;
        int flags = 0;
    };

    explicit HeadlessPlatform(QString appFolder);

    QList<Box> boxes;
    QList<Wallpaper> wallpapers;
    // Answered for every volume when set, so that registering copies into Pic/.
    std::optional<int> driveType;

    std::string AppFolder() override;
    // Yes to the removal question, OK to everything else.
    int MsgBox(const std::string& text, int style, const std::string& title) override;
    int GetDriveType(const std::string& root) override;
    void SetDeskWallpaper(const std::string& bmpPath, int flags) override;

    // The number of an error report ("61:..."), or 0 when the box is no error report.
    static int ErrorNumberOf(const Box& box);

  private:
    QString appFolder_;
};

// The style of the removal question: Yes/No, question mark, No as the default.
constexpr int kRemovalQuestionStyle = 292;

} // namespace velmora::test
