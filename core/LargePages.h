// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace velmora {

// A table of many megabytes is filled faster in large pages (2 MiB on x86-64), where the
// system has them: a few page faults instead of hundreds. The platform says once, at start,
// how to ask for them; without that, asking does nothing.
using LargePageRequest = void (*)(void* begin, std::size_t size);
void SetLargePageRequest(LargePageRequest request);
void RequestLargePages(void* begin, std::size_t size);

} // namespace velmora
