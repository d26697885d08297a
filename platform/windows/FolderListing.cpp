// SPDX-License-Identifier: MIT
#include "FolderListing.h"

#include "Win32.h"
#include "Win32Error.h"

#include <algorithm>
#include <shlwapi.h>

namespace velmora::windows_impl {

namespace {

enum class Want { Folders, Files };

std::wstring Folded(std::wstring text) {
    if (!text.empty())
        ::CharLowerBuffW(text.data(), DWORD(text.size()));
    return text;
}

// Case-insensitive order with a case-sensitive tie-break, so that the order never depends
// on the order the file system returned the names in.
void SortByName(std::vector<std::wstring>& names) {
    std::vector<std::pair<std::wstring, std::wstring>> keyed;
    keyed.reserve(names.size());
    for (std::wstring& name : names)
        keyed.emplace_back(Folded(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    keyed.erase(std::unique(keyed.begin(), keyed.end()), keyed.end());
    names.clear();
    for (auto& [key, name] : keyed)
        names.push_back(std::move(name));
}

std::vector<std::wstring> SinglePatterns(const std::vector<std::wstring>& patterns) {
    std::vector<std::wstring> result;
    for (const std::wstring& list : patterns) {
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t end = std::min(list.find(L';', start), list.size());
            std::wstring pattern = list.substr(start, end - start);
            pattern.erase(0, pattern.find_first_not_of(L' '));
            pattern.erase(pattern.find_last_not_of(L' ') + 1);
            if (!pattern.empty())
                result.push_back(pattern);
            start = end + 1;
        }
    }
    if (result.empty())
        result.push_back(L"*");
    return result;
}

// One search: FindFirstFileW takes a single pattern.
void Search(const std::wstring& base, const std::wstring& pattern, Want want,
            std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((base + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return; // the folder is there, nothing matches
        throw ErrorFromWin32(error);
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder != (want == Want::Folders))
            continue;
        // The search matches short 8.3 names too ("x.jpeg2" as "X~1.JPE"): only long ones.
        if (!::PathMatchSpecW(name.c_str(), pattern.c_str()))
            continue;
        names.push_back(name);
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        throw ErrorFromWin32(error);
}

std::vector<std::wstring> List(const std::wstring& folder, Want want,
                               const std::vector<std::wstring>& patterns) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    const DWORD attributes = ::GetFileAttributesW(base.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD error = ::GetLastError();
        // The folder itself is what is missing, whether or not its parent exists.
        if (attributes != INVALID_FILE_ATTRIBUTES || error == ERROR_FILE_NOT_FOUND)
            throw PlatformError(Err::PathNotFound);
        throw ErrorFromWin32(error);
    }
    std::vector<std::wstring> names;
    for (const std::wstring& pattern : SinglePatterns(patterns))
        Search(base, pattern, want, names);
    SortByName(names);
    return names;
}

} // namespace

std::vector<std::wstring> ListSubfolders(const std::wstring& folder) {
    return List(folder, Want::Folders, {});
}

std::vector<std::wstring> ListFiles(const std::wstring& folder,
                                    const std::vector<std::wstring>& patterns) {
    return List(folder, Want::Files, patterns);
}

} // namespace velmora::windows_impl
