// SPDX-License-Identifier: MIT
#include "FolderRows.h"

namespace velmora::win32 {

namespace {

constexpr const char* kIndent = "  ";

// Length of the root with its separator: "C:\" or "\\server\share\".
std::size_t RootLength(const std::string& folder) {
    if (folder.rfind("\\\\", 0) == 0) {
        const std::size_t server = folder.find('\\', 2);
        if (server == std::string::npos)
            return folder.size();
        const std::size_t share = folder.find('\\', server + 1);
        return share == std::string::npos ? folder.size() : share + 1;
    }
    const std::size_t first = folder.find('\\');
    return first == std::string::npos ? folder.size() : first + 1;
}

std::string Indent(std::size_t depth) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i)
        text += kIndent;
    return text;
}

} // namespace

std::string WithoutTrailingSeparator(const std::string& folder) {
    std::string result = folder;
    while (result.size() > RootLength(result) && result.back() == '\\')
        result.pop_back();
    return result;
}

std::vector<FolderRow> FolderRows(const std::string& current,
                                  const std::vector<std::string>& subfolders) {
    const std::string folder = WithoutTrailingSeparator(current);
    const std::size_t rootLength = RootLength(folder);
    std::vector<FolderRow> rows;
    std::string path = folder.substr(0, rootLength);
    rows.push_back({path, path});
    std::size_t start = rootLength;
    while (start < folder.size()) {
        std::size_t end = folder.find('\\', start);
        if (end == std::string::npos)
            end = folder.size();
        if (path.back() != '\\')
            path += '\\';
        path += folder.substr(start, end - start);
        rows.push_back({path, Indent(rows.size()) + folder.substr(start, end - start)});
        start = end + 1;
    }
    const std::string depth = Indent(rows.size());
    const std::string prefix = folder.back() == '\\' ? folder : folder + '\\';
    for (const std::string& name : subfolders)
        rows.push_back({prefix + name, depth + name});
    return rows;
}

} // namespace velmora::win32
