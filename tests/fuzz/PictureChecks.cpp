// SPDX-License-Identifier: MIT
#include "FuzzChecks.h"

#include "Geometry.h"
#include "PictureFiles.h"
#include "PlatformError.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace velmora::fuzz {

namespace {

void RequireRefusal(const PlatformError& e) {
    Require(e.Number == Err::InvalidPicture || e.Number == Err::OutOfMemory,
            "a picture is refused only with 481 or 7");
    Require(!e.Description.empty(), "the refusal has a message");
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

void CheckPicture(const QString& picturePath, const QString& scratch) {
    using namespace linux_impl;
    using codec::kMaxPicturePixels;
    using codec::kMaxPictureSide;
    PictureFile info;
    try {
        info = ReadPictureHeader(picturePath);
    } catch (const PlatformError& e) {
        RequireRefusal(e);
        return;
    }
    const int64_t width = info.size.width();
    const int64_t height = info.size.height();
    Require(width > 0 && height > 0, "an accepted picture has a size");
    Require(width <= kMaxPictureSide && height <= kMaxPictureSide &&
                width * height <= kMaxPicturePixels,
            "an accepted picture is within the size limits");
    // Legitimately large pictures take long to write; the fuzzer looks for faults, not for
    // files that are merely big.
    if (width * height > kMaxCheckedPixels)
        return;

    const QString out = scratch + QStringLiteral("/out.bmp");
    bool written = false;
    try {
        WriteBitmapFile(info, out);
        written = true;
    } catch (const PlatformError& e) {
        RequireRefusal(e);
    }
    const QStringList left = FilesIn(scratch);
    Require(left == (written ? QStringList{QStringLiteral("out.bmp")} : QStringList{}),
            "the bitmap writer leaves only its finished file");
    if (written) {
        const int64_t stride = (width * 3 + 3) / 4 * 4;
        Require(QFile(out).size() == 54 + stride * height, "the bitmap has its full size");
        PictureFile back;
        try {
            back = ReadPictureHeader(out);
        } catch (const PlatformError&) {
            Require(false, "the written bitmap reads back");
        }
        Require(back.kind == PictureKind::Bmp && back.size == info.size,
                "the written bitmap has the picture's size");
        QFile::remove(out);
    }

    const QSize box(145, 145);
    try {
        const QImage preview = DecodeForBox(info, box);
        Require(!preview.isNull() && preview.size() == FitIntoBox(info.size, box),
                "the preview fits the box");
    } catch (const PlatformError& e) {
        RequireRefusal(e);
    }
}

} // namespace velmora::fuzz
