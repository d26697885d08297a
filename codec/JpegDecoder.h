// SPDX-License-Identifier: MIT
#pragma once

#include "Geometry.h"

#include <cstdint>
#include <memory>

namespace velmora::codec {

class ByteSource;
struct JpegState;

// libjpeg-turbo decoding of one source. libjpeg's fatal errors come back through longjmp
// into the member that called it and leave as CodecError (InvalidPicture for damaged data,
// TooLarge for pictures too large); what the source threw while libjpeg read from it is
// thrown again unchanged. Warnings, such as data that ends early, are accepted: libjpeg
// fills what is missing with grey.
class JpegDecoder {
  public:
    explicit JpegDecoder(ByteSource& source); // reads the header
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    Size size() const;
    // The output size at a scale of eighths (1 to 8).
    Size scaledSize(int eighths);

    enum class Pixels { Bgr, Bgrx };
    // Starts decoding at eighths/8 of the natural size.
    void start(int eighths, Pixels pixels);
    Size outputSize() const;
    // Decodes up to count next rows into rows[0..]; returns how many were decoded.
    int read(uint8_t* const* rows, int count);

  private:
    [[noreturn]] void fail();
    int readCmyk(uint8_t* const* rows, int count);

    std::unique_ptr<JpegState> state_;
};

} // namespace velmora::codec
