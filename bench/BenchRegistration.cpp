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
#include <sys/resource.h>
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kExisting = 10000;
constexpr int kNew = 1000;
constexpr int kLargeExisting = 100000;
constexpr int kLargeNew = 100; // each costs a rewrite of a 6.5 MB file
constexpr int kBlocks = 10;

std::vector<std::string> EntryFields(const KabegamiEntryView e) {
    return {std::string(e.Folder), std::string(e.FileName), std::string(e.KabegamiPath),
            std::string(e.CopiedToPic)};
}

// The floor: the whole list formatted plainly, written durably (as ours, with the folder's
// fsync) and read back with getline and a split, once per picture.
class Floor {
  public:
    Floor(const QString& folder, const KabegamiEntries& start)
        : path_(ToUtf8(folder) + "/plain.def"), lines_{{"/ [root]", "/home/user/", "0"}} {
        for (const KabegamiEntryView e : start)
            lines_.push_back(EntryFields(e));
    }

    // The seconds that pictures more take, or -1 when a read-back is short.
    double Add(int pictures) {
        const double begin = NowSeconds();
        for (int i = 0; i < pictures; ++i) {
            lines_.push_back({"/p/", "new.bmp", "/p/new.bmp", "0"});
            PlainDurableWrite(path_, PlainFormat(lines_));
            if (GetlineSplit(path_) != 3 + 4 * (lines_.size() - 1))
                return -1;
        }
        return NowSeconds() - begin;
    }

  private:
    std::string path_;
    std::vector<std::vector<std::string>> lines_;
};

long MinorFaults() {
    struct rusage usage {};
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_minflt : 0;
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

    // The pictures go in ten selections, each followed by the floor doing the same number:
    // the disk's flush times drift over a run, and both then see the same drift.
    Floor plainFloor(dir.path(), before);
    double seconds = 0;
    double floorSeconds = 0;
    long faults = 0; // ours: each is a page the heap took afresh
    {
        frmKabegamiTouroku window(module, platform);
        const int block = pictures / kBlocks;
        for (int b = 0; b < kBlocks; ++b) {
            window.File1()->clearSelection();
            for (int i = b * block; i < (b + 1) * block; ++i)
                window.File1()->item(i)->setSelected(true);
            const double start = NowSeconds();
            const long faultsBefore = MinorFaults();
            window.cmdTouroku_Click();
            seconds += NowSeconds() - start;
            faults += MinorFaults() - faultsBefore;
            const double plain = plainFloor.Add(block);
            if (plain < 0)
                return -1;
            floorSeconds += plain;
        }
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
    std::printf("%d pictures into %d entries: %.2f s in all, %.1f ms each; floor %.1f ms "
                "each; %.2fx; %ld page faults each\n",
                pictures, existing, seconds, seconds * 1000 / pictures,
                floorSeconds * 1000 / pictures, seconds / floorSeconds, faults / pictures);
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
