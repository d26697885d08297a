// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace velmora::codec {

// Where the codec reads a picture from. An implementation reports its own failures by
// throwing; the codec lets those exceptions pass unchanged.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual int64_t Size() const = 0;
    // Reads up to len bytes at offset; fewer only at the end of the data.
    virtual int64_t ReadAt(int64_t offset, void* buffer, int64_t len) = 0;
};

// Where the codec writes a file. Nothing may replace the old content before Commit; a sink
// dropped without Commit leaves the old content as it was.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Claims the final size first, so that a full disk fails before any decoding.
    virtual void Reserve(int64_t size) = 0;
    virtual void Write(const void* data, int64_t size) = 0;
    virtual void WriteAt(int64_t offset, const void* data, int64_t size) = 0;
    virtual void Commit() = 0;
    // Copies up to len bytes from source at from to at, without passing them through the
    // caller, where the sink knows a faster way; returns how many it copied (0: none, the
    // caller copies the rest itself).
    virtual int64_t CopyFrom(ByteSource& source, int64_t from, int64_t at, int64_t len) {
        (void)source, (void)from, (void)at, (void)len;
        return 0;
    }
};

} // namespace velmora::codec
