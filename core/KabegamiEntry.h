// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace velmora {

// One registered wallpaper; the fields in their order in the list file, as UTF-8.
struct KabegamiEntry {
    std::string Folder;       // where the user found the picture, ending in the separator
    std::string FileName;     // the picture's name without its folder
    std::string KabegamiPath; // the file applied as wallpaper (the picture or its copy in Pic/)
    std::string CopiedToPic;  // "1" when KabegamiPath is the program's own copy, else "0"

    friend bool operator==(const KabegamiEntry&, const KabegamiEntry&) = default;
};

using KabegamiEntries = std::vector<KabegamiEntry>;

} // namespace velmora
