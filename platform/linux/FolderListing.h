// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace velmora::linux_impl {

// Names of the folders directly in folder (links to folders included), dot-names hidden,
// sorted by name ignoring case. A folder that cannot be listed throws: 76 when it does not
// exist, 71 when its medium is gone, 70 when it may not be read.
QStringList ListSubfolders(const QString& folder);

// Names of the regular files (or links to them) directly in folder that match one of the
// patterns ("*.BMP" style, letter case ignored; no pattern matches every file), dot-names
// hidden, sorted as ListSubfolders. Fails as ListSubfolders.
QStringList ListFiles(const QString& folder, const QStringList& patterns);

} // namespace velmora::linux_impl
