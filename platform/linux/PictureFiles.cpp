#include "PictureFiles.h"

#include "BmpLayout.h"
#include "BmpOutput.h"
#include "BmpRows.h"
#include "JpegDecoder.h"
#include "PictureSource.h"
#include "PlatformError.h"

#include <algorithm>
#include <vector>

namespace velmora::linux_impl {

namespace {

// Decoded rows travel to the output file in bands of about this size.
constexpr int64_t kBandBytes = 1 << 20;

PictureKind DetectKind(PictureSource& source) {
    uint8_t magic[3] = {};
    const int64_t got = source.readAt(0, magic, sizeof magic);
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return PictureKind::Bmp;
    if (got == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return PictureKind::Jpeg;
    throw PlatformError(Err::InvalidPicture);
}

int BandRows(int64_t stride, int height) {
    return int(std::clamp<int64_t>(kBandBytes / stride, 1, height));
}

void WriteFromBmp(PictureSource& source, const QString& bmpPath) {
    const BmpLayout layout = ReadBmpLayout(source);
    BmpOutput out(bmpPath, layout.width, layout.height);
    if (layout.isPlainBgr24()) {
        out.copyRows(source, layout.dataOffset);
        out.commit();
        return;
    }
    BmpRows rows(source, layout);
    const int height = layout.height;
    const int64_t stride = out.stride();
    const int band = BandRows(stride, height);
    std::vector<uint8_t> buffer(static_cast<size_t>(stride * band)); // zero padding stays zero
    for (int first = 0; first < height; first += band) {
        const int count = std::min(band, height - first);
        if (!layout.topDown) {
            rows.read(first, count, buffer.data(), stride);
            out.writeRows(first, count, buffer.data());
        } else {
            // Stored row i of a top-down bitmap is row height - 1 - i of the output.
            rows.read(first, count, buffer.data() + (count - 1) * stride, -stride);
            out.writeRows(height - first - count, count, buffer.data());
        }
    }
    out.commit();
}

void WriteFromJpeg(PictureSource& source, const QString& bmpPath) {
    JpegDecoder decoder(source);
    decoder.start(8, JpegDecoder::Pixels::Bgr);
    const QSize size = decoder.outputSize();
    const int height = size.height();
    BmpOutput out(bmpPath, size.width(), height);
    const int64_t stride = out.stride();
    const int band = BandRows(stride, height);
    std::vector<uint8_t> buffer(static_cast<size_t>(stride * band));
    std::vector<uint8_t*> rowPointers(static_cast<size_t>(band));
    // Rows come top first; each band lands reversed at its place from the file's end.
    for (int top = 0; top < height; top += band) {
        const int count = std::min(band, height - top);
        for (int k = 0; k < count; ++k)
            rowPointers[size_t(k)] = buffer.data() + (count - 1 - k) * stride;
        for (int done = 0; done < count;) {
            const int got = decoder.read(rowPointers.data() + done, count - done);
            if (got <= 0)
                throw PlatformError(Err::InvalidPicture);
            done += got;
        }
        out.writeRows(height - top - count, count, buffer.data());
    }
    out.commit();
}

QImage PreviewFromJpeg(PictureSource& source, const QSize& box, QSize& natural) {
    JpegDecoder decoder(source);
    natural = decoder.size();
    const QSize fit = FitIntoBox(decoder.size(), box);
    int eighths = 1;
    for (; eighths < 8; ++eighths) {
        const QSize scaled = decoder.scaledSize(eighths);
        if (scaled.width() >= fit.width() && scaled.height() >= fit.height())
            break;
    }
    decoder.start(eighths, JpegDecoder::Pixels::Bgrx);
    const QSize size = decoder.outputSize();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        throw PlatformError(Err::OutOfMemory);
    std::vector<uint8_t*> rowPointers(static_cast<size_t>(size.height()));
    for (int y = 0; y < size.height(); ++y)
        rowPointers[size_t(y)] = image.scanLine(y);
    for (int done = 0; done < size.height();) {
        const int got = decoder.read(rowPointers.data() + done, size.height() - done);
        if (got <= 0)
            throw PlatformError(Err::InvalidPicture);
        done += got;
    }
    return image;
}

// Reads only the rows a reduced size needs: two per output row, each averaged over all
// the columns an output pixel covers. Rows are visited in stored order so that run-length
// encoded files, which decode only forwards, work too.
QImage PreviewFromBmp(PictureSource& source, const QSize& box, QSize& natural) {
    const BmpLayout layout = ReadBmpLayout(source);
    natural = QSize(layout.width, layout.height);
    const int width = layout.width;
    const int height = layout.height;
    const QSize fit = FitIntoBox(natural, box);
    const int outWidth = std::min(fit.width(), width);
    const int outHeight = std::min(fit.height(), height);
    QImage image(outWidth, outHeight, QImage::Format_RGB32);
    if (image.isNull())
        throw PlatformError(Err::OutOfMemory);

    std::vector<int> spanStart(static_cast<size_t>(outWidth) + 1);
    for (int x = 0; x <= outWidth; ++x)
        spanStart[size_t(x)] = int(int64_t(x) * width / outWidth);
    auto sampleRow = [&](int y, int quarter) {
        const int row = std::min<int64_t>(height - 1, (int64_t(2 * y) * 2 + quarter) * height /
                                                          (int64_t(4) * outHeight));
        return layout.topDown ? row : height - 1 - row;
    };

    BmpRows rows(source, layout);
    const size_t rowBytes = size_t(width) * 3;
    std::vector<uint8_t> rowA(rowBytes), rowB(rowBytes);
    int loadedA = -1;
    int loadedB = -1;
    for (int i = 0; i < outHeight; ++i) {
        // Output rows from the first stored one: top first only for top-down bitmaps.
        const int y = layout.topDown ? i : outHeight - 1 - i;
        int storedA = sampleRow(y, 1);
        int storedB = sampleRow(y, 3);
        if (storedA > storedB)
            std::swap(storedA, storedB);
        if (storedA == loadedB) {
            rowA.swap(rowB);
            loadedA = loadedB;
            loadedB = -1;
        }
        if (storedA != loadedA) {
            rows.read(storedA, 1, rowA.data(), 0);
            loadedA = storedA;
        }
        if (storedB != storedA && storedB != loadedB) {
            rows.read(storedB, 1, rowB.data(), 0);
            loadedB = storedB;
        }
        const uint8_t* a = rowA.data();
        const uint8_t* b = storedB == storedA ? rowA.data() : rowB.data();
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < outWidth; ++x) {
            const int from = spanStart[size_t(x)];
            const int to = std::max(from + 1, spanStart[size_t(x) + 1]);
            unsigned sum[3] = {};
            for (int c = 3 * from; c < 3 * to; c += 3)
                for (int k = 0; k < 3; ++k)
                    sum[k] += unsigned(a[c + k]) + b[c + k];
            const unsigned n = unsigned(to - from) * 2;
            line[x] = qRgb(int((sum[2] + n / 2) / n), int((sum[1] + n / 2) / n),
                           int((sum[0] + n / 2) / n));
        }
    }
    return image;
}

// Averages the rows of one region of a picture, handed over one by one in either order,
// into an image no larger than the region.
class RegionShrinker {
  public:
    RegionShrinker(const QRect& region, const QSize& out)
        : region_(region), image_(out, QImage::Format_RGB32), sums_(size_t(out.width()) * 3) {
        if (image_.isNull())
            throw PlatformError(Err::OutOfMemory);
        spanStart_.resize(size_t(out.width()) + 1);
        for (int x = 0; x <= out.width(); ++x)
            spanStart_[size_t(x)] = region.left() + int(int64_t(x) * region.width() / out.width());
    }

    // bgr: a whole row of the picture, picture row y, which lies inside the region.
    void add(int y, const uint8_t* bgr) {
        const int row = int(int64_t(y - region_.top()) * image_.height() / region_.height());
        if (row != row_) {
            flush();
            row_ = row;
        }
        for (int x = 0; x < image_.width(); ++x) {
            uint64_t* sum = sums_.data() + 3 * x;
            for (int c = 3 * spanStart_[size_t(x)]; c < 3 * spanStart_[size_t(x) + 1]; c += 3) {
                sum[0] += bgr[c];
                sum[1] += bgr[c + 1];
                sum[2] += bgr[c + 2];
            }
        }
        ++rows_;
    }

    QImage take() {
        flush();
        return std::move(image_);
    }

  private:
    void flush() {
        if (rows_ == 0)
            return;
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(row_));
        for (int x = 0; x < image_.width(); ++x) {
            const uint64_t n =
                uint64_t(spanStart_[size_t(x) + 1] - spanStart_[size_t(x)]) * uint64_t(rows_);
            const uint64_t* sum = sums_.data() + 3 * x;
            line[x] = qRgb(int((sum[2] + n / 2) / n), int((sum[1] + n / 2) / n),
                           int((sum[0] + n / 2) / n));
        }
        std::fill(sums_.begin(), sums_.end(), 0);
        rows_ = 0;
    }

    QRect region_;
    QImage image_;
    std::vector<uint64_t> sums_; // blue, green, red of each output pixel of the row
    std::vector<int> spanStart_;
    int row_ = -1;
    int rows_ = 0;
};

// Neither side larger than the region's: what is smaller than the area is scaled up later.
QSize ShrunkSize(const QRect& region, const QSize& area) {
    return QSize(std::min(region.width(), area.width()), std::min(region.height(), area.height()));
}

QRect RegionOf(const QSize& natural, const QSize& area) {
    if (natural.isEmpty() || area.isEmpty())
        throw PlatformError(Err::InvalidPicture);
    return FillRegion(natural, area);
}

QImage FillFromBmp(PictureSource& source, const QSize& area) {
    const BmpLayout layout = ReadBmpLayout(source);
    const QRect region = RegionOf(QSize(layout.width, layout.height), area);
    RegionShrinker shrinker(region, ShrunkSize(region, area));
    BmpRows rows(source, layout);
    std::vector<uint8_t> row(size_t(layout.width) * 3);
    // Stored order, so that run-length encoded files, which decode only forwards, work too.
    const int last = layout.height - 1;
    const int first = layout.topDown ? region.top() : last - region.bottom();
    for (int stored = first; stored < first + region.height(); ++stored) {
        rows.read(stored, 1, row.data(), 0);
        shrinker.add(layout.topDown ? stored : last - stored, row.data());
    }
    return shrinker.take();
}

// region of a picture of natural size, in the pixels of the same picture at size scaled.
QRect ScaleRegion(const QRect& region, const QSize& natural, const QSize& scaled) {
    auto at = [](int64_t v, int64_t to, int64_t from) { return v * to / from; };
    auto upTo = [](int64_t v, int64_t to, int64_t from) { return (v * to + from - 1) / from; };
    const int left = int(at(region.left(), scaled.width(), natural.width()));
    const int top = int(at(region.top(), scaled.height(), natural.height()));
    const int right = int(std::clamp<int64_t>(
        upTo(region.left() + int64_t(region.width()), scaled.width(), natural.width()), left + 1,
        scaled.width()));
    const int bottom = int(std::clamp<int64_t>(
        upTo(region.top() + int64_t(region.height()), scaled.height(), natural.height()), top + 1,
        scaled.height()));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QImage FillFromJpeg(PictureSource& source, const QSize& area) {
    JpegDecoder decoder(source);
    const QSize natural = decoder.size();
    const QRect region = RegionOf(natural, area);
    const QSize wanted = ShrunkSize(region, area);
    // The smallest scale at which libjpeg still gives every pixel the area needs.
    int eighths = 1;
    QRect scaled;
    for (; eighths <= 8; ++eighths) {
        scaled = eighths == 8 ? region : ScaleRegion(region, natural, decoder.scaledSize(eighths));
        if (scaled.width() >= wanted.width() && scaled.height() >= wanted.height())
            break;
    }
    decoder.start(std::min(eighths, 8), JpegDecoder::Pixels::Bgr);
    if (!QRect(QPoint(0, 0), decoder.outputSize()).contains(scaled))
        throw PlatformError(Err::InvalidPicture);
    RegionShrinker shrinker(scaled, ShrunkSize(scaled, area));
    std::vector<uint8_t> row(size_t(decoder.outputSize().width()) * 3);
    uint8_t* rowPointer = row.data();
    for (int y = 0; y <= scaled.bottom(); ++y) {
        if (decoder.read(&rowPointer, 1) != 1)
            throw PlatformError(Err::InvalidPicture);
        if (y >= scaled.top())
            shrinker.add(y, row.data());
    }
    return shrinker.take();
}

} // namespace

QRect FillRegion(const QSize& natural, const QSize& area) {
    const int64_t w = natural.width(), h = natural.height();
    const int64_t aw = std::max(1, area.width()), ah = std::max(1, area.height());
    QSize part;
    if (w * ah >= h * aw) // wider than the area: its full height, the sides cut off
        part = QSize(int(std::clamp<int64_t>((h * aw * 2 + ah) / (2 * ah), 1, w)), int(h));
    else
        part = QSize(int(w), int(std::clamp<int64_t>((w * ah * 2 + aw) / (2 * aw), 1, h)));
    return QRect(QPoint(int(w - part.width()) / 2, int(h - part.height()) / 2), part);
}

QImage DecodeToFill(const PictureInfo& picture, const QSize& area) {
    PictureSource source(picture.path);
    QImage image = DetectKind(source) == PictureKind::Bmp ? FillFromBmp(source, area)
                                                          : FillFromJpeg(source, area);
    if (image.size() != area)
        image = image.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) // Qt returns no image where it could not allocate one
        throw PlatformError(Err::OutOfMemory);
    return image;
}

QSize FitIntoBox(const QSize& natural, const QSize& box) {
    const int64_t w = std::max(1, natural.width());
    const int64_t h = std::max(1, natural.height());
    const int64_t bw = std::clamp<int64_t>(box.width(), 1, kMaxPictureSide);
    const int64_t bh = std::clamp<int64_t>(box.height(), 1, kMaxPictureSide);
    if (w * bh >= h * bw)
        return QSize(int(bw), int(std::max<int64_t>(1, (h * bw * 2 + w) / (2 * w))));
    return QSize(int(std::max<int64_t>(1, (w * bh * 2 + h) / (2 * h))), int(bh));
}

PictureInfo ReadPictureHeader(const QString& path) {
    PictureSource source(path);
    const PictureKind kind = DetectKind(source);
    if (kind == PictureKind::Bmp) {
        const BmpLayout layout = ReadBmpLayout(source);
        return {path, kind, QSize(layout.width, layout.height)};
    }
    JpegDecoder decoder(source);
    return {path, kind, decoder.size()};
}

void WriteBitmapFile(const PictureInfo& picture, const QString& bmpPath) {
    // The file may have changed since its header was read: what it holds now is written.
    PictureSource source(picture.path);
    if (DetectKind(source) == PictureKind::Bmp)
        WriteFromBmp(source, bmpPath);
    else
        WriteFromJpeg(source, bmpPath);
}

QImage DecodeForBox(const PictureInfo& picture, const QSize& box) {
    PictureSource source(picture.path);
    QSize natural;
    QImage image = DetectKind(source) == PictureKind::Bmp ? PreviewFromBmp(source, box, natural)
                                                          : PreviewFromJpeg(source, box, natural);
    const QSize fit = FitIntoBox(natural, box);
    if (int64_t(fit.width()) * fit.height() > kMaxPicturePixels)
        throw PlatformError(Err::OutOfMemory);
    if (image.size() != fit)
        image = image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace velmora::linux_impl
