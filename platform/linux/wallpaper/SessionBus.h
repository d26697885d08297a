#pragma once

#include <QString>

namespace velmora::linux_impl {

// Settings that travel over the D-Bus session bus reach nobody without one: the desktop
// never sees them, or they are never stored. Throws PlatformError(NotSupported), naming
// desktop and what is missing, when this session has no reachable session bus, or when
// service (if given) is neither running on it nor started on demand.
void RequireSessionBus(const QString& desktop, const char* service = nullptr);

} // namespace velmora::linux_impl
