// SPDX-License-Identifier: MIT
#pragma once

#include "PlatformError.h"

namespace velmora::windows_impl {

// The classic error number a GetLastError value means.
int ErrorNumberOf(unsigned long win32Error);
// The error for a failed call, from its GetLastError value.
PlatformError ErrorFromWin32(unsigned long win32Error);
// The same, for the call that failed just now.
PlatformError LastError();

} // namespace velmora::windows_impl
