// SPDX-License-Identifier: MIT
// libFuzzer entry: the list file reader.
#include "FuzzChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Raw data, not a copy: reading past the input's end is caught by AddressSanitizer.
    velmora::fuzz::CheckListReader(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
