// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora {

// A folder as the browsing lists hold it: cleaned of "." and "..", without a trailing
// separator except for "/" itself. Links are kept as the user chose them.
QString NormalFolder(const QString& folder);

// The folders from root down to folder, root first; folder must lie in root.
QStringList FolderChain(const QString& root, const QString& folder);

} // namespace velmora
