// SPDX-License-Identifier: MIT
#include "Cp932.h"

#include "PlatformError.h"
#include "WideText.h"
#include "Win32.h"

#include <climits>

namespace velmora::windows_impl {

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
    if (bytes.empty())
        return std::string();
    if (bytes.size() > INT_MAX)
        throw PlatformError(Err::OutOfMemory);
    constexpr UINT kShiftJis = 932;
    const int length = int(bytes.size());
    const int needed =
        ::MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::nullopt;
    std::wstring wide(std::size_t(needed), L'\0');
    if (::MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(),
                              needed) != needed)
        return std::nullopt;
    return Narrow(wide);
}

} // namespace velmora::windows_impl
