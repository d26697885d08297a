// SPDX-License-Identifier: MIT
// Registering: 1,000 pictures selected at once into a list of 10,000 entries (and 100 into
// 100,000), each accepted file written crash-safely and read back before the next, through
// the real window on the offscreen platform and the real Linux services, beside a plain
// floor doing the same file work.
#include "Bench.h"

#include "BenchPlatform.h"
#include "FileListBox.h"
#include "ListFileFormat.h"
#include "QtText.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kExisting = 10000;
constexpr int kNew = 1000;
constexpr int kLargeExisting = 100000;
constexpr int kLargeNew = 100; // each costs a rewrite of a 6.5 MB file

std::vector<std::string> EntryFields(const KabegamiEntryView e) {
    return {std::string(e.Folder), std::string(e.FileName), std::string(e.KabegamiPath),
            std::string(e.CopiedToPic)};
}

// The floor for one picture: the whole list formatted plainly, written durably (as ours,
// with the folder's fsync) and read back with getline and a split.
double FloorPerPicture(const QString& folder, const KabegamiEntries& start, int pictures) {
    const std::string path = ToUtf8(folder) + "/plain.def";
    std::vector<std::vector<std::string>> lines{{"/ [root]", "/home/user/", "0"}};
    for (const KabegamiEntryView e : start)
        lines.push_back(EntryFields(e));
    const double begin = NowSeconds();
    for (int i = 0; i < pictures; ++i) {
        lines.push_back({"/p/", "new.bmp", "/p/new.bmp", "0"});
        PlainDurableWrite(path, PlainFormat(lines));
        if (GetlineSplit(path) != 3 + 4 * (lines.size() - 1))
            return -1;
    }
    return (NowSeconds() - begin) / pictures;
}

// Registers pictures new BMPs through the window into a list of existing entries; the
// seconds per picture, or -1 on failure.
double RegisterCase(int existing, int pictures, double& total) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return -1;
    const QString app = dir.path() + "/";
    const QString folder = app + "pictures";
    QDir().mkpath(folder);
    QImage image(16, 16, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    for (int i = 0; i < pictures; ++i)
        image.save(folder + QStringLiteral("/new-%1.bmp").arg(i, 4, 10, QLatin1Char('0')), "BMP");

    BenchPlatform platform;
    mdlKabegami module(platform);
    module.AppPath = ToUtf8(app);
    module.LastDrive = platform.DriveOf(ToUtf8(folder)).Name;
    module.LastFolder = ToUtf8(folder + "/");
    module.FileCopySetting = "0";
    for (int i = 0; i < existing; ++i) {
        const std::string name = "old-" + std::to_string(i) + ".jpg";
        module.KabegamiList.push_back(
            {"/home/user/Pictures/", name, "/home/user/Pictures/" + name, "0"});
    }
    const KabegamiEntries before = module.KabegamiList;
    if (!module.WriteKabegamiList())
        return -1;

    double seconds = 0;
    {
        frmKabegamiTouroku window(module, platform);
        window.File1()->selectAll();
        const double start = NowSeconds();
        window.cmdTouroku_Click();
        seconds = NowSeconds() - start;
    }
    if (module.KabegamiList.size() != std::size_t(existing + pictures) || platform.shown != 0) {
        std::printf("registration failed: %lld entries, %d messages\n",
                    static_cast<long long>(module.KabegamiList.size()), platform.shown);
        return -1;
    }
    // The file on disk is exactly the rewrite of the list.
    const ListHeader header{module.LastDrive, module.LastFolder, module.FileCopySetting};
    if (platform.ReadFile(module.ListFilePath()) != FormatListFile(header, module.KabegamiList)) {
        std::printf("the file on disk is not the rewrite of the list\n");
        return -1;
    }
    total = seconds;
    const double floor = FloorPerPicture(dir.path(), before, pictures);
    std::printf("%d pictures into %d entries: %.2f s in all, %.1f ms each; floor %.1f ms "
                "each; %.2fx\n",
                pictures, existing, seconds, seconds * 1000 / pictures, floor * 1000,
                seconds / pictures / floor);
    std::fflush(stdout);
    return seconds / pictures;
}

int Run(const QStringList&) {
    double total = 0;
    if (RegisterCase(kExisting, kNew, total) < 0)
        return 1;
    if (RegisterCase(kLargeExisting, kLargeNew, total) < 0)
        return 1;
    return 0;
}

int Child(const QStringList&) {
    return 2;
}

} // namespace

BenchSection RegistrationBenchSection() {
    return {"Registration", &Run, &Child};
}

} // namespace velmora::bench
