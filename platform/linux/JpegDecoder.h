#pragma once

#include <QSize>

#include <cstdint>
#include <memory>

namespace velmora::linux_impl {

class PictureSource;
struct JpegState;

// libjpeg-turbo decoding of one file. libjpeg's fatal errors come back through longjmp
// into the member that called it and leave as PlatformError: 481 for damaged data, 7 for
// pictures too large, errno-based numbers for read failures. Warnings, such as data that
// ends early, are accepted: libjpeg fills what is missing with grey.
class JpegDecoder {
  public:
    explicit JpegDecoder(PictureSource& source); // reads the header
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    QSize size() const;
    // The output size at a scale of eighths (1 to 8).
    QSize scaledSize(int eighths);

    enum class Pixels { Bgr, Bgrx };
    // Starts decoding at eighths/8 of the natural size.
    void start(int eighths, Pixels pixels);
    QSize outputSize() const;
    // Decodes up to count next rows into rows[0..]; returns how many were decoded.
    int read(uint8_t* const* rows, int count);

  private:
    [[noreturn]] void fail();
    int readCmyk(uint8_t* const* rows, int count);

    std::unique_ptr<JpegState> state_;
};

} // namespace velmora::linux_impl
