// SPDX-License-Identifier: MIT
#include "CoreTest.h"
#include "Cp932Decoder.h"

namespace velmora::test {

namespace {
class IconvText : public TextDecoding {
  public:
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override {
        return decoder_.ToUtf8(bytes);
    }

  private:
    linux_impl::Cp932Decoder decoder_;
};
} // namespace

std::unique_ptr<TextDecoding> MakePlatformText() {
    return std::make_unique<IconvText>();
}

} // namespace velmora::test
