// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora::linux_impl {

// One mounted volume as the drive selector shows it.
struct Volume {
    QString name; // "<mount point> [<label or device>]", stable across runs
    QString root; // the mount point, ending in "/"
};

} // namespace velmora::linux_impl
