// SPDX-License-Identifier: MIT
#pragma once

// What the core's tests share: doctest, and the platform's own reader of code page 932.

#include "KabegamiEntries.h"
#include "SystemServices.h"

#include <doctest/doctest.h>

#include <memory>
#include <ostream>

namespace velmora {

// Printed by failing checks.
inline std::ostream& operator<<(std::ostream& out, const KabegamiEntry& e) {
    return out << '{' << e.Folder << '|' << e.FileName << '|' << e.KabegamiPath << '|'
               << e.CopiedToPic << '}';
}

namespace test {

// The code page 932 reader of the platform the tests run on (tests/core/<platform>/).
std::unique_ptr<TextDecoding> MakePlatformText();

} // namespace test
} // namespace velmora
