// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

namespace velmora::test {

// A bitmap file put together byte by byte, for the formats and damaged headers that no
// ordinary writer produces.
struct BmpBuilder {
    int headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    QList<uint32_t> masks; // after a 40-byte header, else inside the header
    QList<QRgb> palette;
    QByteArray pixels; // stored rows, each padded with PadRow

    QByteArray build() const;
};

QByteArray PadRow(QByteArray row);
QByteArray Le16(uint16_t v);
QByteArray Le32(uint32_t v);

void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

// Reads a file that must be a bottom-up 24-bit BI_RGB bitmap with a 54-byte header whose
// every field is consistent; problem names the first field that is not. Returns RGB32.
QImage ReadWrittenBitmap(const QString& path, QString* problem);

// The error number the call threw, or 0.
int ErrorNumberOf(const std::function<void()>& call);

// Largest difference of any channel of any pixel; -1 for different sizes.
int MaxChannelDifference(const QImage& a, const QImage& b);

// Files in folder whose names start with the temporary prefix of atomic writes.
QStringList TemporaryFilesIn(const QString& folder);

} // namespace velmora::test
