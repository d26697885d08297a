// SPDX-License-Identifier: MIT
#pragma once

#include "SystemServices.h"

#include <memory>

namespace velmora {

// The services of the platform the program is built for.
std::unique_ptr<SystemServices> CreateSystemServices();

} // namespace velmora
