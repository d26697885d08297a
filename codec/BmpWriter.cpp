// SPDX-License-Identifier: MIT
#include "BmpWriter.h"

#include "ByteSeams.h"
#include "CodecError.h"

#include <algorithm>
#include <vector>

namespace velmora::codec {

namespace {

void Put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

} // namespace

BmpWriter::BmpWriter(ByteSink& sink, int width, int height) : sink_(sink), height_(height) {
    stride_ = (int64_t(width) * 3 + 3) / 4 * 4;
    const int64_t pixelBytes = stride_ * height;
    const int64_t total = kHeaderSize + pixelBytes;
    sink_.Reserve(total);

    uint8_t header[kHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, uint32_t(total));
    Put32(header + 10, uint32_t(kHeaderSize));
    Put32(header + 14, 40);
    Put32(header + 18, uint32_t(width));
    Put32(header + 22, uint32_t(height));
    Put16(header + 26, 1);
    Put16(header + 28, 24);
    Put32(header + 34, uint32_t(pixelBytes));
    Put32(header + 38, 2835); // 72 dots per inch
    Put32(header + 42, 2835);
    sink_.WriteAt(0, header, kHeaderSize);
}

void BmpWriter::writeRows(int first, int count, const uint8_t* rows) {
    sink_.WriteAt(kHeaderSize + int64_t(first) * stride_, rows, int64_t(count) * stride_);
}

void BmpWriter::copyRows(ByteSource& source, int64_t offset) {
    // The source's last row may lack its padding; the file is already zero there.
    const int64_t total = std::min(stride_ * height_, source.Size() - offset);
    int64_t done = 0;
    while (done < total) {
        const int64_t n = sink_.CopyFrom(source, offset + done, kHeaderSize + done, total - done);
        if (n <= 0)
            break;
        done += n;
    }
    // Where the sink cannot, or to learn which side failed, copy through a buffer.
    std::vector<uint8_t> buffer;
    while (done < total) {
        if (buffer.empty())
            buffer.resize(size_t(std::min<int64_t>(total - done, 1 << 20)));
        const int64_t want = std::min<int64_t>(total - done, int64_t(buffer.size()));
        const int64_t got = source.ReadAt(offset + done, buffer.data(), want);
        if (got == 0)
            ThrowInvalid();
        sink_.WriteAt(kHeaderSize + done, buffer.data(), got);
        done += got;
    }
}

void BmpWriter::commit() {
    sink_.Commit();
}

} // namespace velmora::codec
