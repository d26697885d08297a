// SPDX-License-Identifier: MIT
#pragma once

namespace velmora::windows_impl {

// The prefix of every temporary file an atomic write leaves behind when it is killed.
inline constexpr const wchar_t* kTemporaryPrefix = L".velmora-tmp-";

} // namespace velmora::windows_impl
