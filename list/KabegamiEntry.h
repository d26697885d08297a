// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

namespace velmora {

// One registered wallpaper; the fields in their order in the list file.
struct KabegamiEntry {
    QString Folder;       // where the user found the picture, ending in the separator
    QString FileName;     // the picture's name without its folder
    QString KabegamiPath; // the file applied as wallpaper (the picture or its copy in Pic/)
    QString CopiedToPic;  // "1" when KabegamiPath is the program's own copy, else "0"

    friend bool operator==(const KabegamiEntry&, const KabegamiEntry&) = default;
};

using KabegamiEntries = QList<KabegamiEntry>;

} // namespace velmora
