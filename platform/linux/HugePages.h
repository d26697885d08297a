// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace velmora::linux_impl {

// Asks for transparent huge pages over the whole 2 MiB pages inside [begin, begin + size),
// before they are first touched. Where the system does not give them, nothing changes.
void AskForLargePages(void* begin, std::size_t size);

} // namespace velmora::linux_impl
