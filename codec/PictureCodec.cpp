// SPDX-License-Identifier: MIT
#include "PictureCodec.h"

#include "BmpLayout.h"
#include "BmpRows.h"
#include "BmpWriter.h"
#include "ByteSeams.h"
#include "CodecError.h"
#include "JpegDecoder.h"

#include <algorithm>
#include <new>

namespace velmora::codec {

PixelBuffer::PixelBuffer(int w, int h) : width(w), height(h) {
    try {
        pixels.resize(size_t(w) * size_t(h));
    } catch (const std::bad_alloc&) {
        ThrowTooLarge();
    }
}

namespace {

// Decoded rows travel to the output file in bands of about this size.
constexpr int64_t kBandBytes = 1 << 20;

PictureKind DetectKind(ByteSource& source) {
    uint8_t magic[3] = {};
    const int64_t got = source.ReadAt(0, magic, sizeof magic);
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return PictureKind::Bmp;
    if (got == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return PictureKind::Jpeg;
    ThrowInvalid();
}

int BandRows(int64_t stride, int height) {
    return int(std::clamp<int64_t>(kBandBytes / stride, 1, height));
}

void WriteFromBmp(ByteSource& source, ByteSink& sink) {
    const BmpLayout layout = ReadBmpLayout(source);
    BmpWriter out(sink, layout.width, layout.height);
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

void WriteFromJpeg(ByteSource& source, ByteSink& sink) {
    JpegDecoder decoder(source);
    decoder.start(8, JpegDecoder::Pixels::Bgr);
    const Size size = decoder.outputSize();
    const int height = size.height;
    BmpWriter out(sink, size.width, height);
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
                ThrowInvalid();
            done += got;
        }
        out.writeRows(height - top - count, count, buffer.data());
    }
    out.commit();
}

PixelBuffer CoveringFromJpeg(ByteSource& source, const Size& box, Size& natural) {
    JpegDecoder decoder(source);
    natural = decoder.size();
    const Size fit = FitIntoBox(natural, box);
    int eighths = 1;
    for (; eighths < 8; ++eighths) {
        const Size scaled = decoder.scaledSize(eighths);
        if (scaled.width >= fit.width && scaled.height >= fit.height)
            break;
    }
    decoder.start(eighths, JpegDecoder::Pixels::Bgrx);
    const Size size = decoder.outputSize();
    PixelBuffer image(size.width, size.height);
    std::vector<uint8_t*> rowPointers(static_cast<size_t>(size.height));
    for (int y = 0; y < size.height; ++y)
        rowPointers[size_t(y)] = reinterpret_cast<uint8_t*>(image.row(y));
    for (int done = 0; done < size.height;) {
        const int got = decoder.read(rowPointers.data() + done, size.height - done);
        if (got <= 0)
            ThrowInvalid();
        done += got;
    }
    return image;
}

// Reads only the rows a reduced size needs: two per output row, each averaged over all
// the columns an output pixel covers. Rows are visited in stored order so that run-length
// encoded files, which decode only forwards, work too.
PixelBuffer CoveringFromBmp(ByteSource& source, const Size& box, Size& natural) {
    const BmpLayout layout = ReadBmpLayout(source);
    natural = {layout.width, layout.height};
    const int width = layout.width;
    const int height = layout.height;
    const Size fit = FitIntoBox(natural, box);
    const int outWidth = std::min(fit.width, width);
    const int outHeight = std::min(fit.height, height);
    PixelBuffer image(outWidth, outHeight);

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
        uint32_t* line = image.row(y);
        for (int x = 0; x < outWidth; ++x) {
            const int from = spanStart[size_t(x)];
            const int to = std::max(from + 1, spanStart[size_t(x) + 1]);
            unsigned sum[3] = {};
            for (int c = 3 * from; c < 3 * to; c += 3)
                for (int k = 0; k < 3; ++k)
                    sum[k] += unsigned(a[c + k]) + b[c + k];
            const unsigned n = unsigned(to - from) * 2;
            line[x] = Rgb((sum[2] + n / 2) / n, (sum[1] + n / 2) / n, (sum[0] + n / 2) / n);
        }
    }
    return image;
}

// Averages the rows of one region of a picture, handed over one by one in either order,
// into an image no larger than the region.
class RegionShrinker {
  public:
    RegionShrinker(const Rect& region, const Size& out)
        : region_(region), image_(out.width, out.height), sums_(size_t(out.width) * 3) {
        spanStart_.resize(size_t(out.width) + 1);
        for (int x = 0; x <= out.width; ++x)
            spanStart_[size_t(x)] = region.left + int(int64_t(x) * region.width / out.width);
    }

    // bgr: a whole row of the picture, picture row y, which lies inside the region.
    void add(int y, const uint8_t* bgr) {
        const int row = int(int64_t(y - region_.top) * image_.height / region_.height);
        if (row != row_) {
            flush();
            row_ = row;
        }
        for (int x = 0; x < image_.width; ++x) {
            uint64_t* sum = sums_.data() + 3 * x;
            for (int c = 3 * spanStart_[size_t(x)]; c < 3 * spanStart_[size_t(x) + 1]; c += 3) {
                sum[0] += bgr[c];
                sum[1] += bgr[c + 1];
                sum[2] += bgr[c + 2];
            }
        }
        ++rows_;
    }

    PixelBuffer take() {
        flush();
        return std::move(image_);
    }

  private:
    void flush() {
        if (rows_ == 0)
            return;
        uint32_t* line = image_.row(row_);
        for (int x = 0; x < image_.width; ++x) {
            const uint64_t n =
                uint64_t(spanStart_[size_t(x) + 1] - spanStart_[size_t(x)]) * uint64_t(rows_);
            const uint64_t* sum = sums_.data() + 3 * x;
            line[x] = Rgb(unsigned((sum[2] + n / 2) / n), unsigned((sum[1] + n / 2) / n),
                          unsigned((sum[0] + n / 2) / n));
        }
        std::fill(sums_.begin(), sums_.end(), 0);
        rows_ = 0;
    }

    Rect region_;
    PixelBuffer image_;
    std::vector<uint64_t> sums_; // blue, green, red of each output pixel of the row
    std::vector<int> spanStart_;
    int row_ = -1;
    int rows_ = 0;
};

// Neither side larger than the region's: what is smaller than the area is scaled up later.
Size ShrunkSize(const Rect& region, const Size& area) {
    return {std::min(region.width, area.width), std::min(region.height, area.height)};
}

Rect RegionOf(const Size& natural, const Size& area) {
    if (natural.empty() || area.empty())
        ThrowInvalid();
    return FillRegion(natural, area);
}

PixelBuffer FillFromBmp(ByteSource& source, const Size& area) {
    const BmpLayout layout = ReadBmpLayout(source);
    const Rect region = RegionOf({layout.width, layout.height}, area);
    RegionShrinker shrinker(region, ShrunkSize(region, area));
    BmpRows rows(source, layout);
    std::vector<uint8_t> row(size_t(layout.width) * 3);
    // Stored order, so that run-length encoded files, which decode only forwards, work too.
    const int last = layout.height - 1;
    const int first = layout.topDown ? region.top : last - region.bottom();
    for (int stored = first; stored < first + region.height; ++stored) {
        rows.read(stored, 1, row.data(), 0);
        shrinker.add(layout.topDown ? stored : last - stored, row.data());
    }
    return shrinker.take();
}

PixelBuffer FillFromJpeg(ByteSource& source, const Size& area) {
    JpegDecoder decoder(source);
    const Size natural = decoder.size();
    const Rect region = RegionOf(natural, area);
    const Size wanted = ShrunkSize(region, area);
    // The smallest scale at which libjpeg still gives every pixel the area needs.
    int eighths = 1;
    Rect scaled;
    for (; eighths <= 8; ++eighths) {
        scaled = eighths == 8 ? region : ScaleRegion(region, natural, decoder.scaledSize(eighths));
        if (scaled.width >= wanted.width && scaled.height >= wanted.height)
            break;
    }
    decoder.start(std::min(eighths, 8), JpegDecoder::Pixels::Bgr);
    if (!scaled.inside(decoder.outputSize()))
        ThrowInvalid();
    RegionShrinker shrinker(scaled, ShrunkSize(scaled, area));
    std::vector<uint8_t> row(size_t(decoder.outputSize().width) * 3);
    uint8_t* rowPointer = row.data();
    for (int y = 0; y <= scaled.bottom(); ++y) {
        if (decoder.read(&rowPointer, 1) != 1)
            ThrowInvalid();
        if (y >= scaled.top)
            shrinker.add(y, row.data());
    }
    return shrinker.take();
}

} // namespace

PictureHeader ReadHeader(ByteSource& source) {
    if (DetectKind(source) == PictureKind::Bmp) {
        const BmpLayout layout = ReadBmpLayout(source);
        return {PictureKind::Bmp, {layout.width, layout.height}};
    }
    JpegDecoder decoder(source);
    return {PictureKind::Jpeg, decoder.size()};
}

void WriteBitmap(ByteSource& source, ByteSink& sink) {
    if (DetectKind(source) == PictureKind::Bmp)
        WriteFromBmp(source, sink);
    else
        WriteFromJpeg(source, sink);
}

PixelBuffer DecodeCovering(ByteSource& source, const Size& box, Size& natural) {
    return DetectKind(source) == PictureKind::Bmp ? CoveringFromBmp(source, box, natural)
                                                  : CoveringFromJpeg(source, box, natural);
}

PixelBuffer DecodeFillPart(ByteSource& source, const Size& area) {
    return DetectKind(source) == PictureKind::Bmp ? FillFromBmp(source, area)
                                                  : FillFromJpeg(source, area);
}

} // namespace velmora::codec
