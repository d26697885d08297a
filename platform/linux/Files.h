// SPDX-License-Identifier: MIT
#pragma once

#include "TemporaryPrefix.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace velmora {
struct FileStamp;
}

namespace velmora::linux_impl {

// Creates one folder; 75 when something of that name exists already.
void MakeFolder(const QString& path);
// Copies the file source points to (symbolic links followed) to target, which appears
// complete or not at all; no temporary file stays. Whatever already has target's name (a
// file, a symbolic link) is never replaced nor written through: when it holds exactly the
// source's bytes it stays as the copy, otherwise the copy fails with 58.
void CopyFileKeepingOthers(const QString& source, const QString& target);
void DeleteFile(const QString& path);
std::string ReadWholeFile(const QString& path);
// Replaces path with data: on any failure path keeps its former content and no temporary
// file stays. A symbolic link at path is written through: its final target is replaced
// in its own folder (and created when the link dangles), the link stays.
void WriteFileAtomically(const QString& path, std::string_view data);
// Removes the regular files directly in folder whose names start with kTemporaryPrefix.
// A folder that does not exist has nothing to remove.
void RemoveTemporaryFiles(const QString& folder);
// True when path names something that exists, after following symbolic links.
bool FileExists(const QString& path);
// The stamp of the file path names (links followed); nothing when it cannot be examined or
// when a write could come so soon after its last change that the times would not move.
std::optional<FileStamp> StampOf(const QString& path);
// The absolute path with symbolic links, "." and ".." resolved as far as the path exists;
// the part that does not exist (from a missing name, a dangling link or a link cycle on) is
// kept as written, cleaned. No trailing "/" except for "/".
QString ResolvePath(const QString& path);

} // namespace velmora::linux_impl
