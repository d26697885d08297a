// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora::linux_impl {

// Where the list, the bitmap and Pic/ live. The program's own folder when the user can write
// there (a per-user install, an unpacked folder, the build tree); otherwise, as for a
// system-wide install, the user's data folder $XDG_DATA_HOME/velmora, made on first use.
struct DataFolderChoice {
    QString folder;  // without a trailing "/"; empty when no folder could be had
    QString failure; // for the user, naming the folder, when folder is empty
};

// xdgDataHome and home as the environment gives them; home is the fallback for an unset,
// empty or relative xdgDataHome.
DataFolderChoice ChooseDataFolder(const QString& programFolder, const QString& xdgDataHome,
                                  const QString& home);

// The choice for this process. A folder that cannot be had is reported and ends the program:
// carrying on would lose every registration.
QString DataFolderOrExit(const QString& programFolder);

} // namespace velmora::linux_impl
