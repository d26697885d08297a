// SPDX-License-Identifier: MIT
// Pictures: converting large JPEG and BMP files to the wallpaper bitmap, and previews,
// compared with libjpeg-turbo's own djpeg on the same files.
#include "Bench.h"

#include "PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace velmora::bench {

namespace {

using linux_impl::DecodeForBox;
using linux_impl::DecodeToFill;
using linux_impl::ReadPictureHeader;
using linux_impl::WriteBitmapFile;

constexpr int kRuns = 3;

// Photo-like rows: smooth gradients, a slow wave and some noise.
struct Scenery {
    uint32_t seed = 0x9E3779B9u;
    uint8_t noise() {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return uint8_t(seed & 0x1F);
    }
    void row(int y, int width, int height, uint8_t* rgb) {
        for (int x = 0; x < width; ++x) {
            const int wave = ((x / 37 + y / 53) & 0x3F);
            rgb[3 * x] = uint8_t((x * 200 / width) + noise() / 2 + wave / 4);
            rgb[3 * x + 1] = uint8_t((y * 180 / height) + noise() / 2 + wave / 2);
            rgb[3 * x + 2] = uint8_t(((x + y) * 120 / (width + height)) + noise() + wave);
        }
    }
};

bool MakeJpeg(const QString& path, int width, int height, bool progressive = false) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(width) * 3);
    Scenery scenery;
    for (int y = 0; y < height; ++y) {
        scenery.row(y, width, height, row.data());
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

bool MakeBmp(const QString& path, int width, int height) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    const uint32_t stride = uint32_t(width * 3 + 3) / 4 * 4;
    uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = uint8_t(v >> (8 * i));
    };
    put32(2, 54 + stride * uint32_t(height));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    header[26] = 1;
    header[28] = 24;
    put32(34, stride * uint32_t(height));
    std::fwrite(header, 1, sizeof header, file);
    std::vector<uint8_t> rgb(size_t(width) * 3), bgr(stride, 0);
    Scenery scenery;
    for (int y = height - 1; y >= 0; --y) {
        scenery.row(y, width, height, rgb.data());
        for (int x = 0; x < width; ++x) {
            bgr[3 * x] = rgb[3 * x + 2];
            bgr[3 * x + 1] = rgb[3 * x + 1];
            bgr[3 * x + 2] = rgb[3 * x];
        }
        std::fwrite(bgr.data(), 1, stride, file);
    }
    return std::fclose(file) == 0;
}

// Pixel rows equal after the 54-byte headers both writers use for 24-bit files.
bool SamePixels(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    fa.seek(54);
    fb.seek(54);
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

// Peak memory of a bench child that only starts (its libraries) and does nothing.
long idleKiB = 0;

void PrintRow(const char* what, const ChildResult& ours, const ChildResult* djpeg) {
    const QString peak = Mib(ours.peakRssKiB) + QStringLiteral(" (+") +
                         QString::number(double(ours.peakRssKiB - idleKiB) / 1024.0, 'f', 1) + u')';
    std::printf("%-31s %9s %10s %18s", what, qPrintable(Ms(ours.opSeconds)),
                qPrintable(Ms(ours.wallSeconds)), qPrintable(peak));
    if (djpeg) {
        std::printf(" %10s %10s %7.2fx %7.2fx", qPrintable(Ms(djpeg->wallSeconds)),
                    qPrintable(Mib(djpeg->peakRssKiB)), ours.opSeconds / djpeg->wallSeconds,
                    ours.wallSeconds / djpeg->wallSeconds);
    }
    std::printf("\n");
    std::fflush(stdout);
}

int Run(const QStringList&) {
    const QByteArray where = qgetenv("VELMORA_BENCH_DIR");
    QTemporaryDir dir(where.isEmpty() ? QDir::tempPath() + QStringLiteral("/velmora-bench-XXXXXX")
                                      : QString::fromLocal8Bit(where) +
                                            QStringLiteral("/velmora-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;
    const QString jpeg24 = dir.filePath(QStringLiteral("photo-24mp.jpg"));
    const QString jpeg48 = dir.filePath(QStringLiteral("photo-48mp.jpg"));
    const QString bmp24 = dir.filePath(QStringLiteral("photo-24mp.bmp"));
    const QString progressive24 = dir.filePath(QStringLiteral("photo-24mp-progressive.jpg"));
    const QString thin = dir.filePath(QStringLiteral("thin-100x20000.jpg"));
    std::printf("Making test pictures in %s ...\n", qPrintable(dir.path()));
    std::fflush(stdout);
    if (!MakeJpeg(jpeg24, 6000, 4000) || !MakeJpeg(jpeg48, 8000, 6000) ||
        !MakeJpeg(progressive24, 6000, 4000, true) || !MakeBmp(bmp24, 6000, 4000) ||
        !MakeJpeg(thin, 100, 20000))
        return 1;
    std::printf("  6000x4000 JPEG %.1f MB, 8000x6000 JPEG %.1f MB, 6000x4000 BMP %.1f MB\n\n",
                QFileInfo(jpeg24).size() / 1e6, QFileInfo(jpeg48).size() / 1e6,
                QFileInfo(bmp24).size() / 1e6);
    const ChildResult idle = BestOf(
        kRuns, [&] { return RunSelf(QStringLiteral("pictures"), {QStringLiteral("idle")}); });
    if (idle.exitStatus != 0)
        return 1;
    idleKiB = idle.peakRssKiB;
    std::printf("%-31s %9s %10s %18s %10s %10s %8s %8s\n", "best of 3", "ours op", "ours wall",
                "ours peak (+idle)", "djpeg", "djpeg peak", "op/dj", "wall/dj");
    PrintRow("bench child doing nothing", idle, nullptr);

    const QString ours = dir.filePath(QStringLiteral("ours.bmp"));
    const QString theirs = dir.filePath(QStringLiteral("djpeg.bmp"));
    int failures = 0;
    auto check = [&](const ChildResult& r) {
        failures += r.exitStatus != 0;
        return r;
    };

    for (const auto& [name, source] :
         {std::pair{"save 24 MP JPEG as BMP", jpeg24}, std::pair{"save 48 MP JPEG as BMP", jpeg48},
          std::pair{"save 24 MP progressive JPEG", progressive24}}) {
        const ChildResult mine = check(BestOf(kRuns, [&] {
            return RunSelf(QStringLiteral("pictures"), {QStringLiteral("save"), source, ours});
        }));
        const ChildResult djpeg = check(BestOf(kRuns, [&] {
            return RunChild(QStringLiteral("djpeg"),
                            {QStringLiteral("-bmp"), QStringLiteral("-outfile"), theirs, source});
        }));
        PrintRow(name, mine, &djpeg);
        std::printf("  pixels identical to djpeg's: %s\n", SamePixels(ours, theirs) ? "yes" : "NO");
    }

    const ChildResult copy = check(BestOf(kRuns, [&] {
        return RunSelf(QStringLiteral("pictures"), {QStringLiteral("save"), bmp24, ours});
    }));
    PrintRow("save 24 MP BMP (pixels copied)", copy, nullptr);

    const ChildResult preview = check(BestOf(kRuns, [&] {
        return RunSelf(QStringLiteral("pictures"),
                       {QStringLiteral("preview"), jpeg24, QStringLiteral("145")});
    }));
    const ChildResult djpegPreview = check(BestOf(kRuns, [&] {
        return RunChild(QStringLiteral("djpeg"),
                        {QStringLiteral("-scale"), QStringLiteral("1/8"), QStringLiteral("-bmp"),
                         QStringLiteral("-outfile"), theirs, jpeg24});
    }));
    PrintRow("preview 24 MP JPEG, 145 box", preview, &djpegPreview);

    const ChildResult bmpPreview = check(BestOf(kRuns, [&] {
        return RunSelf(QStringLiteral("pictures"),
                       {QStringLiteral("preview"), bmp24, QStringLiteral("145")});
    }));
    PrintRow("preview 24 MP BMP, 145 box", bmpPreview, nullptr);

    // What the root-window wallpaper decodes for one 1920x1080 monitor.
    for (const auto& [name, source] : {std::pair{"fill 1920x1080 from 24 MP JPEG", jpeg24},
                                       std::pair{"fill 1920x1080 from 100x20000", thin},
                                       std::pair{"fill 1920x1080 from 24 MP BMP", bmp24}}) {
        const ChildResult fill = check(BestOf(kRuns, [&] {
            return RunSelf(
                QStringLiteral("pictures"),
                {QStringLiteral("fill"), source, QStringLiteral("1920"), QStringLiteral("1080")});
        }));
        PrintRow(name, fill, nullptr);
    }

    return failures;
}

int Child(const QStringList& args) {
    try {
        if (args.value(0) == QStringLiteral("save") && args.size() == 3) {
            const double start = NowSeconds();
            WriteBitmapFile(ReadPictureHeader(args[1]), args[2]);
            ReportOpSeconds(NowSeconds() - start);
            return 0;
        }
        if (args.value(0) == QStringLiteral("preview") && args.size() == 3) {
            const double start = NowSeconds();
            const int side = args[2].toInt();
            const QImage image = DecodeForBox(ReadPictureHeader(args[1]), QSize(side, side));
            ReportOpSeconds(NowSeconds() - start);
            std::printf("size %dx%d\n", image.width(), image.height());
            return image.isNull() ? 1 : 0;
        }
        if (args.value(0) == QStringLiteral("fill") && args.size() == 4) {
            const double start = NowSeconds();
            const QImage image =
                DecodeToFill(ReadPictureHeader(args[1]), QSize(args[2].toInt(), args[3].toInt()));
            ReportOpSeconds(NowSeconds() - start);
            return image.isNull() ? 1 : 0;
        }
        if (args.value(0) == QStringLiteral("idle")) {
            ReportOpSeconds(0);
            return 0;
        }
    } catch (const std::exception& e) {
        std::printf("error %s\n", e.what());
        return 1;
    }
    return 2;
}

} // namespace

BenchSection PicturesBenchSection() {
    return {"pictures", Run, Child};
}

} // namespace velmora::bench
