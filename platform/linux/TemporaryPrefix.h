// SPDX-License-Identifier: MIT
#pragma once

namespace velmora::linux_impl {

// The prefix of every temporary file an atomic write leaves behind when it is killed.
inline constexpr const char* kTemporaryPrefix = ".velmora-tmp-";

} // namespace velmora::linux_impl
