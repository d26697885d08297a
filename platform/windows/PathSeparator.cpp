// SPDX-License-Identifier: MIT
#include "SystemServices.h"

namespace velmora {

std::string_view PathSeparator() {
    return "\\";
}

} // namespace velmora
