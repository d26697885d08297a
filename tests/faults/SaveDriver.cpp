// SPDX-License-Identifier: MIT
// Saves a new list file over the old one in APP_FOLDER, as the program does, and nothing
// more: run under fiu-run with a failing system call, every call it makes is one of the save.
// No application object and no other file access come before the save.
//
// The exit code tells what the user saw: 0 when the save succeeded silently, the error
// number when it failed with one error report; more than 200 for anything else.
//
// With --load-failing-read, the list is first loaded with every read() after the first
// failing with EIO (libfiu's own control, reached through the preloaded library), then one
// entry is added and the list saved; it prints how many entries the load kept and exits
// with the load's error number when the save then succeeded.
//
// usage: velmora-save-driver APP_FOLDER [--load-failing-read]
#include "HeadlessPlatform.h"
#include "mdlKabegami.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <string_view>

using namespace velmora;
using namespace velmora::test;

namespace {
constexpr int kUsage = 200;
constexpr int kSilentFailure = 201; // failed without a word
constexpr int kFalseSuccess = 202;  // reported an error yet said it saved
constexpr int kManyBoxes = 203;
constexpr int kNoErrorReport = 204; // a box that is no error report
constexpr int kNoLibfiu = 205;

int readsBeforeFailing = 1;
int FailAfterFirstRead(const char*, int*, void**, unsigned*) {
    return readsBeforeFailing-- > 0 ? 0 : 1;
}

// Loads under failing reads; see the usage above.
int LoadWithFailingRead(HeadlessPlatform& platform, mdlKabegami& module) {
    using Callback = int(const char*, int*, void**, unsigned*);
    using EnableExternal = int(const char*, int, void*, unsigned, Callback*);
    using Disable = int(const char*);
    auto* enable = reinterpret_cast<EnableExternal*>(dlsym(RTLD_DEFAULT, "fiu_enable_external"));
    auto* disable = reinterpret_cast<Disable*>(dlsym(RTLD_DEFAULT, "fiu_disable"));
    if (enable == nullptr || disable == nullptr)
        return kNoLibfiu;
    enable("posix/io/rw/read", 1, reinterpret_cast<void*>(long(EIO)), 0, &FailAfterFirstRead);
    module.LoadKabegamiList();
    disable("posix/io/rw/read");
    std::printf("entries %lld\n", static_cast<long long>(module.KabegamiList.size()));
    if (platform.msgBoxes.size() != 1)
        return platform.msgBoxes.isEmpty() ? kSilentFailure : kManyBoxes;
    module.KabegamiList.push_back({"/home/me/", "new.bmp", "/home/me/new.bmp", "0"});
    if (!module.WriteKabegamiList())
        return kManyBoxes;
    return HeadlessPlatform::ErrorNumberOf(platform.msgBoxes.front());
}
} // namespace

int main(int argc, char* argv[]) {
    const bool load = argc == 3 && std::string_view(argv[2]) == "--load-failing-read";
    if (argc != 2 && !load)
        return kUsage;
    HeadlessPlatform platform(QString::fromLocal8Bit(argv[1]));
    mdlKabegami module(platform);
    module.AppPath = module.GetAppPath();
    if (load)
        return LoadWithFailingRead(platform, module);
    module.LastDrive = "/ [root]";
    module.LastFolder = "/media/usb/photos";
    module.FileCopySetting = "1";
    module.KabegamiList = {{"/media/usb/photos/", "sea.jpg", module.AppPath + "Pic/sea.jpg", "1"},
                           {"/home/me/", "hill.bmp", "/home/me/hill.bmp", "0"}};
    const bool saved = module.WriteKabegamiList();
    if (platform.msgBoxes.isEmpty())
        return saved ? 0 : kSilentFailure;
    if (saved)
        return kFalseSuccess;
    if (platform.msgBoxes.size() > 1)
        return kManyBoxes;
    const int number = HeadlessPlatform::ErrorNumberOf(platform.msgBoxes.front());
    return number > 0 && number < kUsage ? number : kNoErrorReport;
}
