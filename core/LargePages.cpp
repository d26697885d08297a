// SPDX-License-Identifier: MIT
#include "LargePages.h"

#include <atomic>

namespace velmora {

namespace {
std::atomic<LargePageRequest> request{nullptr};
} // namespace

void SetLargePageRequest(LargePageRequest r) {
    request.store(r);
}

void RequestLargePages(void* begin, std::size_t size) {
    if (const LargePageRequest r = request.load())
        r(begin, size);
}

} // namespace velmora
