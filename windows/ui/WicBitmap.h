// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>

namespace velmora::win32 {

// A picture decoded by WIC and scaled to width x height, as a bitmap for a static control;
// nullptr when it cannot be decoded. The caller deletes it.
HBITMAP DecodeFile(const std::wstring& path, int width, int height);
HBITMAP DecodeMemory(const void* bytes, DWORD size, int width, int height);

} // namespace velmora::win32
