// SPDX-License-Identifier: MIT
#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

namespace velmora::fuzz {

void Require(bool condition, const char* message) {
    if (condition)
        return;
    std::fprintf(stderr, "property broken: %s\n", message);
    std::abort();
}

} // namespace velmora::fuzz
