// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora::windows_impl {

// Shows bmpPath as the wallpaper (no picture when empty); flags as SPIF_ flags.
void SetDeskWallpaper(const std::wstring& bmpPath, int flags);
// The wallpaper the desktop shows now, empty for none.
std::wstring DeskWallpaper();
// Hands url to its default handler without waiting.
void OpenUrl(const std::wstring& url);

} // namespace velmora::windows_impl
