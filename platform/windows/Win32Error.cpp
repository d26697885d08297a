// SPDX-License-Identifier: MIT
#include "Win32Error.h"

#include "Win32.h"

namespace velmora::windows_impl {

int ErrorNumberOf(unsigned long win32Error) {
    switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
        return Err::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return Err::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return Err::PermissionDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_DIR_NOT_EMPTY:
    case ERROR_CURRENT_DIRECTORY:
        return Err::PathFileAccess;
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNRECOGNIZED_MEDIA:
        return Err::DiskNotReady;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Err::DiskFull;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        // A folder to be made that is there already; a copy decides about its target itself.
        return Err::PathFileAccess;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
        return Err::BadFileName;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return Err::OutOfMemory;
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    default:
        return Err::DeviceIO;
    }
}

PlatformError ErrorFromWin32(unsigned long win32Error) {
    return PlatformError(ErrorNumberOf(win32Error));
}

PlatformError LastError() {
    return ErrorFromWin32(::GetLastError());
}

} // namespace velmora::windows_impl
