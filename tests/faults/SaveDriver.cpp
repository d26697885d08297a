// Saves a new list file over the old one in APP_FOLDER, as the program does, and nothing
// more: run under fiu-run with a failing system call, every call it makes is one of the save.
// No application object and no other file access come before the save.
//
// The exit code tells what the user saw: 0 when the save succeeded silently, the error
// number when it failed with one error report; more than 200 for anything else.
//
// usage: velmora-save-driver APP_FOLDER
#include "HeadlessPlatform.h"
#include "mdlKabegami.h"

#include <cstdio>

using namespace velmora;
using namespace velmora::test;

namespace {
constexpr int kUsage = 200;
constexpr int kSilentFailure = 201; // failed without a word
constexpr int kFalseSuccess = 202;  // reported an error yet said it saved
constexpr int kManyBoxes = 203;
constexpr int kNoErrorReport = 204; // a box that is no error report
} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2)
        return kUsage;
    HeadlessPlatform platform(QString::fromLocal8Bit(argv[1]));
    mdlKabegami module(platform);
    module.AppPath = module.GetAppPath();
    module.LastDrive = QStringLiteral("/ [root]");
    module.LastFolder = QStringLiteral("/media/usb/photos");
    module.FileCopySetting = QStringLiteral("1");
    module.KabegamiList = {{QStringLiteral("/media/usb/photos/"), QStringLiteral("sea.jpg"),
                            module.AppPath + QStringLiteral("Pic/sea.jpg"), QStringLiteral("1")},
                           {QStringLiteral("/home/me/"), QStringLiteral("hill.bmp"),
                            QStringLiteral("/home/me/hill.bmp"), QStringLiteral("0")}};
    const bool saved = module.WriteKabegamiList();
    if (platform.boxes.isEmpty())
        return saved ? 0 : kSilentFailure;
    if (saved)
        return kFalseSuccess;
    if (platform.boxes.size() > 1)
        return kManyBoxes;
    const int number = HeadlessPlatform::ErrorNumberOf(platform.boxes.front());
    return number > 0 && number < kUsage ? number : kNoErrorReport;
}
