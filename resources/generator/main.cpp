// SPDX-License-Identifier: MIT
// Paints Velmora's pictures into a folder (normally resources/):
//   icon32.png  hammer.png  hammer@2x.png  about.jpg  velmora.png  velmora.svg
// The results are committed, so an ordinary build never runs this program.
#include "Hammer.h"
#include "Icon.h"
#include "Waterfall.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace velmora::pictures;

// The About picture is stored as a JPEG of about this many bytes.
constexpr qint64 kAboutBytes = 28545;
constexpr int kMosaicTile = 5;

void Save(const QImage& image, const QString& path, const char* format, int quality = -1) {
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        std::exit(1);
    }
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(QFile(path).size()));
}

QByteArray Jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// The quality whose file comes closest to the wanted size.
int QualityFor(const QImage& image, qint64 bytes) {
    int best = 75;
    qint64 bestDistance = -1;
    for (int q = 5; q <= 100; ++q) {
        const qint64 distance = std::llabs(Jpeg(image, q).size() - bytes);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = q;
        }
    }
    return best;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [scene.png]\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    Save(IconSixteenColours(), out.filePath(QStringLiteral("icon32.png")), "png");
    Save(IconSmooth(256), out.filePath(QStringLiteral("velmora.png")), "png");
    QFile svg(out.filePath(QStringLiteral("velmora.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(IconSvg()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    std::printf("%s\n", qPrintable(svg.fileName()));
    Save(Hammer(1), out.filePath(QStringLiteral("hammer.png")), "png");
    Save(Hammer(2), out.filePath(QStringLiteral("hammer@2x.png")), "png");

    const QImage scene = WaterfallScene(340, 425);
    if (argc > 2)
        Save(scene, QString::fromLocal8Bit(argv[2]), "png");
    const QImage about = Mosaic(scene, kMosaicTile);
    const int quality = QualityFor(about, kAboutBytes);
    std::printf("about.jpg quality %d\n", quality);
    Save(about, out.filePath(QStringLiteral("about.jpg")), "jpeg", quality);
    return 0;
}
