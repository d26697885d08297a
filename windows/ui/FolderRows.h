// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace velmora::win32 {

// One row of the folder list: the folder it opens and the text it shows.
struct FolderRow {
    std::string folder;
    std::string label;
};

// The folder list in the classic manner: the open folders from the root down to current,
// each one step further in, then current's subfolders one step further still. current is a
// Windows folder ("C:\", "C:\a\b", "\\server\share\a"); the row of current is at index
// CurrentRow(rows).
std::vector<FolderRow> FolderRows(const std::string& current,
                                  const std::vector<std::string>& subfolders);

// Where a folder ends up without a trailing separator, a root keeping its own ("C:\").
std::string WithoutTrailingSeparator(const std::string& folder);

} // namespace velmora::win32
