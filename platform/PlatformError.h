// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <exception>

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

// The platform's description of an error number, in Japanese.
QString ErrorDescription(int number);

// A failed platform operation: the classic error number and its description.
class PlatformError : public std::exception {
  public:
    explicit PlatformError(int number);
    PlatformError(int number, QString description);

    int Number;
    QString Description;

    const char* what() const noexcept override;

  private:
    QByteArray utf8_;
};

} // namespace velmora
