// SPDX-License-Identifier: MIT
#include "CoreTest.h"
#include "Cp932.h"

namespace velmora::test {

namespace {
class Win32Text : public TextDecoding {
  public:
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override {
        return windows_impl::Cp932ToUtf8(bytes);
    }
};
} // namespace

std::unique_ptr<TextDecoding> MakePlatformText() {
    return std::make_unique<Win32Text>();
}

} // namespace velmora::test
