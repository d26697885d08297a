// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velmora::linux_impl {

// A second name for the picture at path, hidden beside it: "dir/.<base>-alt.<suffix>".
// Desktops that redraw only when the wallpaper's name changes are shown the picture under
// both names in turn.
QString AlternateNameOf(const QString& path);

// Makes alternate hold what path holds, replacing it atomically: a hard link where the file
// system has them, a copy otherwise. Throws PlatformError.
void MirrorFile(const QString& path, const QString& alternate);

} // namespace velmora::linux_impl
