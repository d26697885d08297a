// SPDX-License-Identifier: MIT
// libFuzzer entry: lists the writer accepts read back identical.
#include "FuzzChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velmora::fuzz::CheckListRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
