// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::windows_impl {

// Code page 932 bytes as UTF-8; nothing when they are no text in it.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

} // namespace velmora::windows_impl
