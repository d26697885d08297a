#include "DesktopDetect.h"

namespace velmora::linux_impl {

std::optional<DesktopKind> DesktopOfDesktopWindow() {
    return std::nullopt;
}

} // namespace velmora::linux_impl
