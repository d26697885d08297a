// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntries.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The folder with exactly the one trailing separator that names in the list end in.
std::string WithSeparator(const std::string& folder);

// Why a picture cannot join the list.
enum class Conflict {
    None,
    AlreadyRegistered, // the same folder and name are in the list
    NameTaken,         // its copy would collide with a registered name in Pic/
};

// Scans the list from its first entry; the first entry that meets either test decides.
// nameTest is on only when the picture is to be copied into Pic/. Letter case is ignored for
// ASCII and full-width Latin letters; every other character must match as it is.
Conflict FindConflict(const KabegamiEntries& list, std::string_view folder, std::string_view name,
                      bool nameTest);

std::string AlreadyRegisteredMessage(const std::string& name);
std::string AlreadyRegisteredTitle();
std::string NameTakenMessage(const std::string& name);
std::string NotStorableMessage(const std::string& name);
// What keeps a picture out of the list file, to be named in NotStorableMessage: its folder,
// its name, or the path it would be used under; empty when all can be stored.
std::string UnstorableName(const std::string& folder, const std::string& name,
                           const std::string& ownPath);
std::string CannotRegisterTitle();
// Shown while a register action runs: the picture being handled (from 1) of how many.
std::string RegisteringProgress(int current, int total);

// The entries of backup whose rows are not selected, in their order.
KabegamiEntries WithoutSelected(const KabegamiEntries& backup, const std::vector<bool>& selected);

// Whether a resolved path lies below a resolved folder (the folder itself does not count).
bool LiesInside(const std::string& resolvedPath, const std::string& resolvedFolder);

// The last component of a path.
std::string_view FileNameOf(std::string_view path);

} // namespace velmora
