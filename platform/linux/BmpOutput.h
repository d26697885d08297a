#pragma once

#include "AtomicReplace.h"

#include <QString>

#include <cstdint>

namespace velmora::linux_impl {

class PictureSource;

// A bottom-up 24-bit bitmap file written beside its target under a temporary name and
// renamed over the target only when every byte is on disk. Until commit() the target is
// untouched; an output dropped without commit() removes its temporary file.
class BmpOutput {
  public:
    static constexpr int64_t kHeaderSize = 54;

    BmpOutput(const QString& target, int width, int height);
    BmpOutput(const BmpOutput&) = delete;
    BmpOutput& operator=(const BmpOutput&) = delete;

    int64_t stride() const { return stride_; }
    // Writes count rows from stored row first (0 is the bottom row), stride bytes each.
    void writeRows(int first, int count, const uint8_t* rows);
    // Copies all pixel rows from an identically laid out bitmap starting at offset.
    void copyRows(PictureSource& source, int64_t offset);
    void commit();

  private:
    AtomicReplace file_;
    int height_ = 0;
    int64_t stride_ = 0;
};

} // namespace velmora::linux_impl
