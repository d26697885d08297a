// SPDX-License-Identifier: MIT
#include "PictureTestSupport.h"

#include "Files.h"
#include "PlatformError.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace velmora::test {

QByteArray Le16(uint16_t v) {
    QByteArray b(2, 0);
    b[0] = char(v);
    b[1] = char(v >> 8);
    return b;
}

QByteArray Le32(uint32_t v) {
    return Le16(uint16_t(v)) + Le16(uint16_t(v >> 16));
}

QByteArray PadRow(QByteArray row) {
    while (row.size() % 4)
        row.append('\0');
    return row;
}

QByteArray BmpBuilder::build() const {
    QByteArray info;
    if (headerSize == 12) {
        info = Le32(12) + Le16(uint16_t(width)) + Le16(uint16_t(height)) + Le16(1) +
               Le16(bitsPerPixel);
    } else {
        info = Le32(uint32_t(headerSize)) + Le32(uint32_t(width)) + Le32(uint32_t(height)) +
               Le16(1) + Le16(bitsPerPixel) + Le32(compression) + Le32(uint32_t(pixels.size())) +
               Le32(2835) + Le32(2835) + Le32(colorsUsed) + Le32(0);
        if (headerSize > 40) {
            for (uint32_t m : masks)
                info += Le32(m);
            info += QByteArray(headerSize - info.size(), '\0');
        } else {
            for (uint32_t m : masks)
                info += Le32(m);
        }
    }
    QByteArray tables;
    for (QRgb c : palette) {
        tables += char(qBlue(c));
        tables += char(qGreen(c));
        tables += char(qRed(c));
        if (headerSize != 12)
            tables += '\0';
    }
    const uint32_t offset = uint32_t(14 + info.size() + tables.size());
    return QByteArray("BM") + Le32(offset + uint32_t(pixels.size())) + Le32(0) + Le32(offset) +
           info + tables + pixels;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage ReadWrittenBitmap(const QString& path, QString* problem) {
    const QByteArray b = ReadBytes(path);
    auto u16 = [&](int at) { return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); };
    auto u32 = [&](int at) { return uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16); };
    auto fail = [&](const char* what) {
        *problem = QString::fromLatin1(what);
        return QImage();
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return fail("signature");
    const int width = int32_t(u32(18));
    const int height = int32_t(u32(22));
    if (width <= 0 || height <= 0)
        return fail("size");
    const int stride = (width * 3 + 3) / 4 * 4;
    if (u32(2) != uint32_t(b.size()) || u32(2) != uint32_t(54 + stride * height))
        return fail("bfSize");
    if (u32(6) != 0)
        return fail("reserved");
    if (u32(10) != 54)
        return fail("bfOffBits");
    if (u32(14) != 40)
        return fail("biSize");
    if (u16(26) != 1)
        return fail("biPlanes");
    if (u16(28) != 24)
        return fail("biBitCount");
    if (u32(30) != 0)
        return fail("biCompression");
    if (u32(34) != uint32_t(stride * height))
        return fail("biSizeImage");
    if (u32(46) != 0 || u32(50) != 0)
        return fail("biClrUsed");
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const char* row = b.constData() + 54 + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb(uint8_t(row[3 * x + 2]), uint8_t(row[3 * x + 1]), uint8_t(row[3 * x])));
        for (int p = width * 3; p < stride; ++p)
            if (row[p] != 0)
                return fail("row padding");
    }
    problem->clear();
    return image;
}

int ErrorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const PlatformError& e) {
        return e.Number;
    }
    return 0;
}

int MaxChannelDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

QStringList TemporaryFilesIn(const QString& folder) {
    return QDir(folder).entryList({QString::fromLatin1(linux_impl::kTemporaryPrefix) + u'*'},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace velmora::test
