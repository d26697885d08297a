// The list file: writing and reading back 10,000 entries, beside a plain std::getline and
// split of the same file.
#include "Bench.h"

#include "BenchPlatform.h"
#include "ListFileFormat.h"
#include "mdlKabegami.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kEntries = 10000;
constexpr int kRuns = 15;

KabegamiEntries MakeEntries() {
    KabegamiEntries entries;
    entries.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const QString folder =
            QStringLiteral("/home/user/Pictures/旅行/2026年/album-%1/").arg(i % 97);
        const QString name =
            QStringLiteral("IMG_%1 夕焼けの海.jpg").arg(i, 6, 10, QLatin1Char('0'));
        entries.append({folder, name, folder + name, i % 5 == 0 ? "1" : "0"});
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
    module.AppPath = dir.path() + "/";
    module.LastDrive = QStringLiteral("/ [root]");
    module.LastFolder = module.AppPath;
    module.FileCopySetting = QStringLiteral("1");
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
    const std::string path = module.ListFilePath().toStdString();
    size_t fields = 0;
    const double baseline = Best([&] { fields = GetlineSplit(path); });
    if (fields != size_t(3 + 4 * kEntries)) {
        std::printf("baseline read %zu fields\n", fields);
        return 1;
    }
    const qint64 bytes = QFileInfo(module.ListFilePath()).size();
    std::printf("%d entries, %.2f MB in %s (best of %d)\n", kEntries, bytes / 1e6,
                qPrintable(dir.path()), kRuns);
    std::printf("  write (format + atomic replace with fsync) %8s   of which format %s\n",
                qPrintable(Ms(write)), qPrintable(Ms(format)));
    std::printf("  read back (LoadKabegamiList)              %8s\n", qPrintable(Ms(read)));
    std::printf("  std::getline + split of the same file     %8s\n", qPrintable(Ms(baseline)));
    std::printf("  read / getline+split                      %8.2fx\n", read / baseline);
    std::printf("  (write + read) / getline+split            %8.2fx\n", (write + read) / baseline);
    return 0;
}

int Child(const QStringList&) {
    return 2;
}

} // namespace

BenchSection ListFileBenchSection() {
    return {"ListFile", &Run, &Child};
}

} // namespace velmora::bench
