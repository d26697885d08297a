// SPDX-License-Identifier: MIT
#include "PictureFiles.h"

#include "AtomicReplace.h"
#include "CodecError.h"
#include "PictureCodec.h"
#include "PictureSource.h"
#include "PlatformError.h"

#include <optional>
#include <vector>

namespace velmora::linux_impl {

namespace {

codec::Size ToCodec(const QSize& size) {
    return {size.width(), size.height()};
}
QSize ToQt(const codec::Size& size) {
    return QSize(size.width, size.height);
}

// The codec's refusals reach callers as the platform's errors, with their descriptions;
// what the files themselves threw passes unchanged.
template <typename Work> auto Translated(Work&& work) {
    try {
        return work();
    } catch (const codec::CodecError& e) {
        throw PlatformError(e.Number());
    }
}

// The decoded pixels become the image's own, without a copy.
QImage ToImage(codec::PixelBuffer&& buffer) {
    auto* pixels = new std::vector<uint32_t>(std::move(buffer.pixels));
    QImage image(
        reinterpret_cast<uchar*>(pixels->data()), buffer.width, buffer.height,
        qsizetype(buffer.width) * 4, QImage::Format_RGB32,
        [](void* owned) { delete static_cast<std::vector<uint32_t>*>(owned); }, pixels);
    if (image.isNull()) {
        delete pixels;
        throw PlatformError(Err::OutOfMemory);
    }
    return image;
}

// The bitmap's file, made only when the codec claims its size: a picture refused before
// that never touches the target's folder, so its own error is the one reported.
class BitmapFileSink : public codec::ByteSink {
  public:
    explicit BitmapFileSink(const QString& target) : target_(target) {}

    void Reserve(int64_t size) override {
        file_.emplace(target_);
        file_->Reserve(size);
    }
    void Write(const void* data, int64_t size) override { file().Write(data, size); }
    void WriteAt(int64_t offset, const void* data, int64_t size) override {
        file().WriteAt(offset, data, size);
    }
    void Commit() override { file().Commit(); }
    int64_t CopyFrom(codec::ByteSource& source, int64_t from, int64_t at, int64_t len) override {
        return file().CopyFrom(source, from, at, len);
    }

  private:
    AtomicReplace& file() {
        if (!file_)
            file_.emplace(target_);
        return *file_;
    }

    QString target_;
    std::optional<AtomicReplace> file_;
};

} // namespace

QRect FillRegion(const QSize& natural, const QSize& area) {
    const codec::Rect r = codec::FillRegion(ToCodec(natural), ToCodec(area));
    return QRect(r.left, r.top, r.width, r.height);
}

QSize FitIntoBox(const QSize& natural, const QSize& box) {
    return ToQt(codec::FitIntoBox(ToCodec(natural), ToCodec(box)));
}

PictureFile ReadPictureHeader(const QString& path) {
    PictureSource source(path);
    const codec::PictureHeader header = Translated([&] { return codec::ReadHeader(source); });
    const PictureKind kind =
        header.kind == codec::PictureKind::Bmp ? PictureKind::Bmp : PictureKind::Jpeg;
    return {path, kind, ToQt(header.size)};
}

void WriteBitmapFile(const PictureFile& picture, const QString& bmpPath) {
    // The file may have changed since its header was read: what it holds now is written.
    PictureSource source(picture.path);
    Translated([&] {
        BitmapFileSink out(bmpPath);
        codec::WriteBitmap(source, out);
    });
}

QImage DecodeForBox(const PictureFile& picture, const QSize& box) {
    PictureSource source(picture.path);
    codec::Size natural;
    QImage image =
        ToImage(Translated([&] { return codec::DecodeCovering(source, ToCodec(box), natural); }));
    const QSize fit = FitIntoBox(ToQt(natural), box);
    if (int64_t(fit.width()) * fit.height() > codec::kMaxPicturePixels)
        throw PlatformError(Err::OutOfMemory);
    if (image.size() != fit)
        image = image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage DecodeToFill(const PictureFile& picture, const QSize& area) {
    PictureSource source(picture.path);
    QImage image =
        ToImage(Translated([&] { return codec::DecodeFillPart(source, ToCodec(area)); }));
    if (image.size() != area)
        image = image.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) // Qt returns no image where it could not allocate one
        throw PlatformError(Err::OutOfMemory);
    return image;
}

} // namespace velmora::linux_impl
