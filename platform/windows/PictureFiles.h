// SPDX-License-Identifier: MIT
#pragma once

#include "SystemServices.h"

#include <string>

namespace velmora::windows_impl {

// Reads and checks only the header: BMP or JPEG by content (481 otherwise), natural size,
// and refuses pictures too large to hold (7).
PictureInfo ReadPictureHeader(const std::wstring& path);

// Decodes the whole picture and writes it as a bottom-up 24-bit BMP at its own size,
// atomically, a band of rows at a time.
void WriteBitmapFile(const std::wstring& picturePath, const std::wstring& bmpPath);

} // namespace velmora::windows_impl
