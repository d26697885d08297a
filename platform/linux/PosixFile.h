// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>

namespace velmora::linux_impl {

// A file descriptor that is closed when it goes out of scope.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    // Closes now; false (errno set) when close itself reports a failure, which on network
    // and some local file systems is where a failed write shows up.
    bool Close();

  private:
    int fd_ = -1;
};

// The file-system name of path; throws 52 for an empty name or one that cannot be
// represented (a NUL character, text that does not survive the round trip).
QByteArray EncodePath(const QString& path);

// Opens an existing regular file for reading, following symbolic links. A folder gives 75,
// as does any other kind of file (a FIFO, a device).
FileDescriptor OpenRegularFileForReading(const QString& path);

// Reads fd up to its end; failures are reported for path, a failing read as ReadError
// with what came before it.
std::string ReadToEnd(int fd, const QString& path);

// Reads at most size bytes, retrying interrupted calls; -1 with errno set on failure.
long ReadSome(int fd, char* buffer, std::size_t size);

// Writes all of data, retrying short and interrupted writes; false with errno set on failure.
bool WriteAll(int fd, const char* data, std::size_t size);

} // namespace velmora::linux_impl
