// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora::windows_impl {

// UTF-8 to the UTF-16 of the Win32 calls; 52 when text is no valid UTF-8, so that a name
// is never changed on its way to the file system.
std::wstring Widen(std::string_view text);
// UTF-16 from Win32 back to UTF-8; 52 for an unpaired surrogate.
std::string Narrow(std::wstring_view text);

} // namespace velmora::windows_impl
