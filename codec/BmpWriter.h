// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace velmora::codec {

class ByteSink;
class ByteSource;

// A bottom-up 24-bit bitmap file written into a sink whose size is claimed first, so that
// a full disk fails before any decoding. Nothing is replaced until commit().
class BmpWriter {
  public:
    static constexpr int64_t kHeaderSize = 54;

    BmpWriter(ByteSink& sink, int width, int height);
    BmpWriter(const BmpWriter&) = delete;
    BmpWriter& operator=(const BmpWriter&) = delete;

    int64_t stride() const { return stride_; }
    // Writes count rows from stored row first (0 is the bottom row), stride bytes each.
    void writeRows(int first, int count, const uint8_t* rows);
    // Copies all pixel rows from an identically laid out bitmap starting at offset.
    void copyRows(ByteSource& source, int64_t offset);
    void commit();

  private:
    ByteSink& sink_;
    int height_ = 0;
    int64_t stride_ = 0;
};

} // namespace velmora::codec
