// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace velmora::windows_impl {

// Names of the visible subfolders of folder ("." and "..", hidden and system ones left
// out), sorted ignoring case; 76 when folder is not there.
std::vector<std::wstring> ListSubfolders(const std::wstring& folder);

// Names of the visible files matching any of the patterns ("*.BMP", letter case ignored;
// an element may hold several joined by ";"), sorted ignoring case, each once. No pattern
// lists every file.
std::vector<std::wstring> ListFiles(const std::wstring& folder,
                                    const std::vector<std::wstring>& patterns);

} // namespace velmora::windows_impl
