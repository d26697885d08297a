// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora::windows_impl {

// The absolute path with links, "." and ".." resolved as far as the path exists; the part
// that does not exist is kept as written, cleaned. No trailing "\" except for a root.
std::wstring ResolvePath(const std::wstring& path);

// The path without a "\\?\" (or "\\?\UNC\") start.
std::wstring WithoutLongPathPrefix(const std::wstring& path);

} // namespace velmora::windows_impl
