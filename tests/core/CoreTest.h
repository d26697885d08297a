// SPDX-License-Identifier: MIT
#pragma once

// What the core's tests share: doctest, and the platform's own reader of code page 932.

#include "Cp932Decoder.h"
#include "KabegamiEntry.h"
#include "SystemServices.h"

#include <doctest/doctest.h>

#include <ostream>

namespace velmora {

// Printed by failing checks.
inline std::ostream& operator<<(std::ostream& out, const KabegamiEntry& e) {
    return out << '{' << e.Folder << '|' << e.FileName << '|' << e.KabegamiPath << '|'
               << e.CopiedToPic << '}';
}

namespace test {

class PlatformText : public TextDecoding {
  public:
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override {
        return decoder_.ToUtf8(bytes);
    }

  private:
    linux_impl::Cp932Decoder decoder_;
};

} // namespace test
} // namespace velmora
