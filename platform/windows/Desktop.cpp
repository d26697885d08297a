// SPDX-License-Identifier: MIT
#include "Desktop.h"

#include "Win32.h"
#include "Win32Error.h"

#include <shellapi.h>

namespace velmora::windows_impl {

void SetDeskWallpaper(const std::wstring& bmpPath, int flags) {
    // The program's flag values are SPIF_UPDATEINIFILE and SPIF_SENDWININICHANGE.
    const UINT winIni = UINT(flags) & (SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    std::wstring path = bmpPath;
    ::SetLastError(ERROR_SUCCESS);
    if (!::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), winIni)) {
        const DWORD error = ::GetLastError();
        throw error == ERROR_SUCCESS ? PlatformError(Err::InvalidPicture) : ErrorFromWin32(error);
    }
}

std::wstring DeskWallpaper() {
    wchar_t path[MAX_PATH + 1] = {};
    if (!::SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH + 1, path, 0))
        throw LastError();
    return path;
}

void OpenUrl(const std::wstring& url) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return;
    switch (result) {
    case 0:
    case SE_ERR_OOM:
        throw PlatformError(Err::OutOfMemory);
    case SE_ERR_FNF:
        throw PlatformError(Err::FileNotFound);
    case SE_ERR_PNF:
        throw PlatformError(Err::PathNotFound);
    case SE_ERR_ACCESSDENIED:
        throw PlatformError(Err::PermissionDenied);
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
        throw PlatformError(Err::NotSupported);
    default:
        throw PlatformError(Err::DeviceIO);
    }
}

} // namespace velmora::windows_impl
