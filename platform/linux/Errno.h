// SPDX-License-Identifier: MIT
#pragma once

#include "PlatformError.h"

#include <QString>

namespace velmora::linux_impl {

// Maps an errno value met while working on path to the classic error number.
// ENOENT is 53 when the path's folder exists and 76 when it does not.
PlatformError ErrorFromErrno(int err, const QString& path);

// The folder part of path ("." for a bare name); trailing "/" are ignored.
QString ParentFolderOf(const QString& path);

} // namespace velmora::linux_impl
