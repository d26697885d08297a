// SPDX-License-Identifier: MIT
// The list file: writing and reading back 10,000 entries, beside a plain std::getline and
// split of the same file.
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
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kEntries = 10000;
constexpr int kLargeEntries = 300000; // about 40 MB: the reader's peak memory stands out
constexpr int kRuns = 15;

KabegamiEntries MakeEntries(int count = kEntries) {
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

// What a program would do with no format of its own: lines, then fields at commas.
size_t GetlineSplit(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::vector<std::string> fields;
    size_t count = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        fields.clear();
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            fields.emplace_back(line, start, comma - start);
        fields.emplace_back(line, start);
        count += fields.size();
    }
    return count;
}

template <typename F> double Best(F&& operation) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const double start = NowSeconds();
        operation();
        best = std::min(best, NowSeconds() - start);
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
    const KabegamiEntries entries = MakeEntries();

    const double write = Best([&] {
        module.KabegamiList = entries;
        module.WriteKabegamiList();
    });
    const double read = Best([&] { module.LoadKabegamiList(); });
    if (module.KabegamiList != entries) {
        std::printf("the list did not read back unchanged\n");
        return 1;
    }
    const double format = Best([&] { FormatListFile({"d", "f", "1"}, entries); });
    const std::string path = module.ListFilePath();
    size_t fields = 0;
    const double baseline = Best([&] { fields = GetlineSplit(path); });
    if (fields != size_t(3 + 4 * kEntries)) {
        std::printf("baseline read %zu fields\n", fields);
        return 1;
    }
    const qint64 bytes = QFileInfo(FromUtf8(module.ListFilePath())).size();
    std::printf("%d entries, %.2f MB in %s (best of %d)\n", kEntries, bytes / 1e6,
                qPrintable(dir.path()), kRuns);
    std::printf("  write (format + atomic replace with fsync) %8s   of which format %s\n",
                qPrintable(Ms(write)), qPrintable(Ms(format)));
    std::printf("  read back (LoadKabegamiList)              %8s\n", qPrintable(Ms(read)));
    std::printf("  std::getline + split of the same file     %8s\n", qPrintable(Ms(baseline)));
    std::printf("  read / getline+split                      %8.2fx\n", read / baseline);
    std::printf("  (write + read) / getline+split            %8.2fx\n", (write + read) / baseline);

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
    std::printf("%d entries, %.1f MB: load peak %s over a load of no file, %.2fx the file;\n"
                "  the list it keeps %s (%.2fx), so the reader's own peak is %.2fx the file\n",
                kLargeEntries, largeBytes / 1e6, qPrintable(Mib(extraKiB)),
                extraKiB * 1024.0 / double(largeBytes), qPrintable(Mib(listKiB)),
                listKiB * 1024.0 / double(largeBytes),
                (extraKiB - listKiB) * 1024.0 / double(largeBytes));
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
