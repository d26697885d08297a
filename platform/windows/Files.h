// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {
struct FileStamp;
}

namespace velmora::windows_impl {

// Creates one folder; 75 when something of that name exists already.
void MakeFolder(const std::wstring& path);
// Copies source to target, which appears complete or not at all. Whatever already has
// target's name is never replaced: when it holds exactly the source's bytes it stays as the
// copy, otherwise the copy fails with 58.
void CopyFileKeepingOthers(const std::wstring& source, const std::wstring& target);
void RemoveFile(const std::wstring& path);
// The whole file; a failure after part of it was read throws ReadError with that part.
std::string ReadWholeFile(const std::wstring& path);
// Replaces path with data: on any failure path keeps its former content and no temporary
// file stays.
void WriteFileAtomically(const std::wstring& path, std::string_view data);
// Removes the files directly in folder whose names start with kTemporaryPrefix. A folder
// that does not exist has nothing to remove.
void RemoveTemporaryFiles(const std::wstring& folder);
bool FileExists(const std::wstring& path);
// The stamp of the file at path; nothing when it cannot be examined or changed so recently
// that a write now might leave its times as they are.
std::optional<FileStamp> StampOf(const std::wstring& path);

} // namespace velmora::windows_impl
