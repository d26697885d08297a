// SPDX-License-Identifier: MIT
#include "WideText.h"

#include "PlatformError.h"
#include "Win32.h"

#include <climits>

namespace velmora::windows_impl {

std::wstring Widen(std::string_view text) {
    if (text.empty())
        return {};
    if (text.size() > INT_MAX)
        throw PlatformError(Err::BadFileName);
    const int length = int(text.size());
    const int needed =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0)
        throw PlatformError(Err::BadFileName);
    std::wstring wide(std::size_t(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), needed);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    if (text.size() > INT_MAX)
        throw PlatformError(Err::BadFileName);
    const int length = int(text.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length,
                                             nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        throw PlatformError(Err::BadFileName);
    std::string narrow(std::size_t(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, narrow.data(), needed,
                          nullptr, nullptr);
    return narrow;
}

} // namespace velmora::windows_impl
