// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

typedef struct _GDBusConnection GDBusConnection;

namespace velmora::linux_impl {

// A connection of this program's own to the session bus (GLib's shared one would stay
// broken for the whole run once the bus is gone), or nullptr when there is none. The
// caller closes it and drops its reference.
GDBusConnection* ConnectSessionBus();

// Settings that travel over the D-Bus session bus reach nobody without one: the desktop
// never sees them, or they are never stored. Throws PlatformError(NotSupported), naming
// desktop and what is missing, when this session has no reachable session bus, or when
// service (if given) is neither running on it nor started on demand.
void RequireSessionBus(const QString& desktop, const char* service = nullptr);

} // namespace velmora::linux_impl
