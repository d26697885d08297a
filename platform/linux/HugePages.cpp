// SPDX-License-Identifier: MIT
#include "HugePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace velmora::linux_impl {

void AskForLargePages(void* begin, std::size_t size) {
    constexpr std::uintptr_t kLarge = std::uintptr_t(2) << 20;
    const auto at = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t from = (at + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t to = (at + size) & ~(kLarge - 1);
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

} // namespace velmora::linux_impl
