#pragma once

#include <QString>

#include <cstdint>

namespace velmora::linux_impl {

// A picture file opened for reading. Every failure is thrown as a PlatformError: errno
// values through ErrorFromErrno, anything read that cannot be a picture as 481.
class PictureSource {
  public:
    explicit PictureSource(const QString& path);
    ~PictureSource();
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    const QString& path() const { return path_; }
    int fd() const { return fd_; }
    int64_t size() const { return size_; }

    // Reads up to len bytes at offset; fewer only at the end of the file.
    int64_t readAt(int64_t offset, void* buffer, int64_t len);
    // Reads exactly len bytes at offset; a file that ends before is not a valid picture.
    void readExactly(int64_t offset, void* buffer, int64_t len);
    [[noreturn]] void throwErrno(int err) const;

  private:
    QString path_;
    int fd_ = -1;
    int64_t size_ = 0;
};

} // namespace velmora::linux_impl

namespace velmora::linux_impl {

// Larger pictures are refused with 7 before anything is allocated for them.
inline constexpr int64_t kMaxPictureSide = 65535;
inline constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;

// Throws 481 for an empty or negative size and 7 for one too large to hold.
void CheckPictureSize(int64_t width, int64_t height);

} // namespace velmora::linux_impl
