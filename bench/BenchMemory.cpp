// SPDX-License-Identifier: MIT
// Memory after steps: the resident memory of a process that saves wallpaper bitmaps one
// step after another, as the running program does, read after each step.
#include "Bench.h"

#include "BenchPlatform.h"
#include "QtText.h"

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kSteps = 30;

long ResidentKiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool MakePicture(const QString& path, int width, int height, const char* format, bool progressive) {
    QImage image(width, height, QImage::Format_RGB888);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(image.rect(), gradient);
    painter.end();
    QImageWriter writer(path, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image);
}

int Run(const QStringList&) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString p1080 = dir.path() + "/1080p.jpg";
    const QString p4k = dir.path() + "/4k-progressive.jpg";
    const QString b4k = dir.path() + "/4k.bmp";
    if (!MakePicture(p1080, 1920, 1080, "jpeg", false) ||
        !MakePicture(p4k, 3840, 2160, "jpeg", true) || !MakePicture(b4k, 3840, 2160, "bmp", false))
        return 1;
    const ChildResult r =
        RunSelf(QStringLiteral("Memory"),
                {dir.path() + "/out.bmp", QString::number(kSteps), p1080, p4k, b4k});
    if (r.exitStatus != 0)
        return 1;
    std::vector<long> rss;
    for (const QByteArray& line : r.output.split('\n'))
        if (line.startsWith("rss-kib "))
            rss.push_back(line.mid(8).toLong());
    if (rss.size() != std::size_t(kSteps))
        return 1;
    long most = 0;
    for (const long kib : rss)
        most = std::max(most, kib - rss[0]);
    std::printf("steps cycling 1080p JPEG, 4K progressive JPEG, 4K BMP; resident after a step:\n"
                "  after 1 %s, 2 %s, 3 %s, 10 %s, %d %s; most above the first %s (goal 2 MiB)\n",
                qPrintable(Mib(rss[0])), qPrintable(Mib(rss[1])), qPrintable(Mib(rss[2])),
                qPrintable(Mib(rss[9])), kSteps, qPrintable(Mib(rss[kSteps - 1])),
                qPrintable(Mib(most)));
    return 0;
}

// args: the bitmap to write, the number of steps, then the pictures to cycle through.
int Child(const QStringList& args) {
    if (args.size() < 3)
        return 2;
    BenchPlatform platform;
    const std::string target = ToUtf8(args[0]);
    const int steps = args[1].toInt();
    for (int step = 0; step < steps; ++step) {
        const std::string picture = ToUtf8(args[2 + step % (args.size() - 2)]);
        platform.SavePicture(platform.LoadPicture(picture), target);
        std::printf("rss-kib %ld\n", ResidentKiB());
    }
    return 0;
}

} // namespace

BenchSection MemoryBenchSection() {
    return {"Memory", &Run, &Child};
}

} // namespace velmora::bench
