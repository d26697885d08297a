// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace velmora {

// Error numbers the program tests or reports.
namespace Err {
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIO = 57;
constexpr int FileAlreadyExists = 58;
constexpr int DiskFull = 61;
constexpr int InputPastEnd = 62;
constexpr int PermissionDenied = 70;
constexpr int DiskNotReady = 71;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidPicture = 481;
constexpr int NotSupported = 445; // no way to do it on this desktop
} // namespace Err

// The platform's description of an error number, in Japanese (UTF-8).
std::string ErrorDescription(int number);

// A failed platform operation: the classic error number and its description (UTF-8).
class PlatformError : public std::exception {
  public:
    explicit PlatformError(int number);
    PlatformError(int number, std::string description);
    // A user interface's own string type, converted once here.
    template <typename Text>
        requires requires(const Text& text) { std::string(text.toStdString()); }
    PlatformError(int number, const Text& description)
        : PlatformError(number, std::string(description.toStdString())) {}

    int Number;
    std::string Description;

    // "number:description", the form every report takes.
    const char* what() const noexcept override;

  private:
    std::string report_;
};

// A read that failed after it had begun: the error, with the bytes read before it.
class ReadError : public PlatformError {
  public:
    ReadError(const PlatformError& error, std::string bytesRead)
        : PlatformError(error), BytesRead(std::move(bytesRead)) {}

    std::string BytesRead;
};

} // namespace velmora
