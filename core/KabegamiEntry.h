// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// One registered wallpaper as a list holds it: views into the list's text, valid until the
// list changes. The fields in their order in the list file, as UTF-8.
struct KabegamiEntryView {
    std::string_view Folder;   // where the user found the picture, ending in the separator
    std::string_view FileName; // the picture's name without its folder
    std::string_view
        KabegamiPath;             // the file applied as wallpaper (the picture or its copy in Pic/)
    std::string_view CopiedToPic; // "1" when KabegamiPath is the program's own copy, else "0"

    friend bool operator==(const KabegamiEntryView&, const KabegamiEntryView&) = default;
};

// One registered wallpaper that owns its text, for building a list.
struct KabegamiEntry {
    std::string Folder;
    std::string FileName;
    std::string KabegamiPath;
    std::string CopiedToPic;

    operator KabegamiEntryView() const { return {Folder, FileName, KabegamiPath, CopiedToPic}; }
    friend bool operator==(const KabegamiEntry&, const KabegamiEntry&) = default;
};

inline KabegamiEntry ToEntry(const KabegamiEntryView& entry) {
    return {std::string(entry.Folder), std::string(entry.FileName), std::string(entry.KabegamiPath),
            std::string(entry.CopiedToPic)};
}

} // namespace velmora
