// SPDX-License-Identifier: MIT
#pragma once

#include "ByteSeams.h"

#include <QString>

#include <cstdint>

namespace velmora::linux_impl {

// A picture file opened for reading. Every failure is thrown as a PlatformError: errno
// values through ErrorFromErrno, anything that is not a regular file as 481.
class PictureSource : public codec::ByteSource {
  public:
    explicit PictureSource(const QString& path);
    ~PictureSource() override;
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    const QString& path() const { return path_; }
    int fd() const { return fd_; }
    int64_t Size() const override { return size_; }
    int64_t ReadAt(int64_t offset, void* buffer, int64_t len) override;

  private:
    QString path_;
    int fd_ = -1;
    int64_t size_ = 0;
};

} // namespace velmora::linux_impl
