// SPDX-License-Identifier: MIT
// The list file: writing and reading back 1,000 to 100,000 entries, beside a plain durable
// write and a plain std::getline and split of the same file.
#include "Bench.h"

#include "BenchPlatform.h"
#include "ListFileFormat.h"
#include "QtText.h"
#include "mdlKabegami.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kLargeEntries = 300000; // about 40 MB: the reader's peak memory stands out
constexpr int kRuns = 15;

KabegamiEntries MakeEntries(int count) {
    KabegamiEntries entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString folder =
            QStringLiteral("/home/user/Pictures/旅行/2026年/album-%1/").arg(i % 97);
        const QString name =
            QStringLiteral("IMG_%1 夕焼けの海.jpg").arg(i, 6, 10, QLatin1Char('0'));
        entries.push_back(
            {ToUtf8(folder), ToUtf8(name), ToUtf8(folder + name), i % 5 == 0 ? "1" : "0"});
    }
    return entries;
}

// The best time of each of two operations, run in turns: the disk's flush times drift, and
// both then see the same drift.
template <typename F, typename G> std::pair<double, double> BestInTurns(F&& ours, G&& floor) {
    std::pair<double, double> best{1e9, 1e9};
    for (int i = 0; i < kRuns; ++i) {
        double start = NowSeconds();
        ours();
        best.first = std::min(best.first, NowSeconds() - start);
        start = NowSeconds();
        floor();
        best.second = std::min(best.second, NowSeconds() - start);
    }
    return best;
}

int Run(const QStringList&) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    BenchPlatform platform;
    mdlKabegami module(platform);
    module.AppPath = ToUtf8(dir.path() + "/");
    module.LastDrive = "/ [root]";
    module.LastFolder = module.AppPath;
    module.FileCopySetting = "1";
    std::printf("best of %d, in %s; floors: plain durable write (temporary file, fsync, rename,\n"
                "fsync of the folder) of a plain join at commas, and std::getline + split\n",
                kRuns, qPrintable(dir.path()));
    std::printf("%8s %8s | %9s %9s %6s | %9s %9s %6s\n", "entries", "MB", "write", "floor", "ratio",
                "read", "floor", "ratio");
    for (const int count : {1000, 10000, 100000}) {
        const KabegamiEntries entries = MakeEntries(count);
        const std::string path = module.ListFilePath();
        const std::string plainPath = ToUtf8(dir.path()) + "/plain.def";
        std::vector<std::vector<std::string>> lines{{"/ [root]", module.LastFolder, "1"}};
        for (const KabegamiEntryView e : entries)
            lines.push_back({std::string(e.Folder), std::string(e.FileName),
                             std::string(e.KabegamiPath), std::string(e.CopiedToPic)});
        // Set outside the timing, as the floor's lines are: a write leaves the list as it is.
        module.KabegamiList = entries;
        const auto [write, writeFloor] =
            BestInTurns([&] { module.WriteKabegamiList(); },
                        [&] { PlainDurableWrite(plainPath, PlainFormat(lines)); });
        size_t fields = 0;
        const auto [read, readFloor] =
            BestInTurns([&] { module.LoadKabegamiList(); }, [&] { fields = GetlineSplit(path); });
        if (module.KabegamiList != entries) {
            std::printf("the list did not read back unchanged\n");
            return 1;
        }
        if (fields != size_t(3 + 4 * count)) {
            std::printf("baseline read %zu fields\n", fields);
            return 1;
        }
        const qint64 bytes = QFileInfo(FromUtf8(path)).size();
        std::printf("%8d %8.2f | %9s %9s %5.2fx | %9s %9s %5.2fx\n", count, bytes / 1e6,
                    qPrintable(Ms(write)), qPrintable(Ms(writeFloor)), write / writeFloor,
                    qPrintable(Ms(read)), qPrintable(Ms(readFloor)), read / readFloor);
        std::fflush(stdout);
    }

    // Peak memory of a load in a process of its own, beside one that finds no file.
    module.KabegamiList = MakeEntries(kLargeEntries);
    if (!module.WriteKabegamiList())
        return 1;
    module.KabegamiList.clear();
    const qint64 largeBytes = QFileInfo(FromUtf8(module.ListFilePath())).size();
    const ChildResult load =
        BestOf(3, [&] { return RunSelf(QStringLiteral("ListFile"), {dir.path()}); });
    const QString empty = dir.path() + QStringLiteral("/none");
    QDir().mkdir(empty);
    const ChildResult none =
        BestOf(3, [&] { return RunSelf(QStringLiteral("ListFile"), {empty}); });
    if (load.exitStatus != 0 || none.exitStatus != 0)
        return 1;
    const auto resident = [](const ChildResult& r) {
        const qsizetype at = r.output.indexOf("resident-kib ");
        return at < 0 ? 0L : r.output.mid(at + 13).split('\n').value(0).toLong();
    };
    const long extraKiB = load.peakRssKiB - none.peakRssKiB;
    const long listKiB = resident(load) - resident(none);
    // The list keeps the file's bytes as its text: its peak is the list it keeps.
    std::printf("%d entries, %.1f MB: load peak %s over a load of no file, %.2fx the file;\n"
                "  resident after the load %s more (%.2fx)\n",
                kLargeEntries, largeBytes / 1e6, qPrintable(Mib(extraKiB)),
                extraKiB * 1024.0 / double(largeBytes), qPrintable(Mib(listKiB)),
                listKiB * 1024.0 / double(largeBytes));
    return 0;
}

// Loads the list file of the folder args[0] and says how many entries it held.
int Child(const QStringList& args) {
    if (args.size() != 1)
        return 2;
    BenchPlatform platform;
    mdlKabegami module(platform);
    module.AppPath = ToUtf8(args[0] + "/");
    const double start = NowSeconds();
    module.LoadKabegamiList();
    ReportOpSeconds(NowSeconds() - start);
    std::printf("entries %lld\n", static_cast<long long>(module.KabegamiList.size()));
    // What the list alone keeps, for the peak to be read against.
    long pages = 0;
    long residentPages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &residentPages) != 2)
            residentPages = 0;
        std::fclose(statm);
    }
    std::printf("resident-kib %ld\n", residentPages * (sysconf(_SC_PAGESIZE) / 1024));
    return 0;
}

} // namespace

BenchSection ListFileBenchSection() {
    return {"ListFile", &Run, &Child};
}

} // namespace velmora::bench
