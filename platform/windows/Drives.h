// SPDX-License-Identifier: MIT
#pragma once

#include "SystemServices.h"

#include <string>
#include <vector>

namespace velmora::windows_impl {

// Every drive letter in use, as the drive selector shows it: "c: [LABEL]", or "c:" alone
// when it has no label or is not ready; Root is "C:\".
std::vector<DriveInfo> ListDrives();
// The drive holding folder: its letter's drive, or a UNC share by its own name.
DriveInfo DriveOf(const std::string& folder);
// The drive whose selector text is name, by its letter; 71 when that letter is not there.
DriveInfo DriveByName(const std::string& name);
int DriveTypeOf(const std::string& root);

} // namespace velmora::windows_impl
