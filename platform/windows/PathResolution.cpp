// SPDX-License-Identifier: MIT
#include "PathResolution.h"

#include "Handle.h"
#include "Win32.h"
#include "Win32Error.h"

#include <optional>

namespace velmora::windows_impl {

namespace {

std::wstring FullPath(const std::wstring& path) {
    DWORD size = MAX_PATH;
    for (;;) {
        std::wstring full(size, L'\0');
        const DWORD n = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (n == 0)
            throw LastError();
        if (n < size) {
            full.resize(n);
            return full;
        }
        size = n;
    }
}

// The final path of what exists at path, nothing when it does not.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
    // Backup semantics opens folders too; no access right is needed to ask for the name.
    Handle file(::CreateFileW(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid())
        return std::nullopt;
    DWORD size = MAX_PATH;
    for (;;) {
        std::wstring final(size, L'\0');
        const DWORD n = ::GetFinalPathNameByHandleW(file.Get(), final.data(), size,
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return std::nullopt;
        if (n < size) {
            final.resize(n);
            return WithoutLongPathPrefix(final);
        }
        size = n + 1;
    }
}

bool IsRoot(const std::wstring& path) {
    if (path.size() == 3 && path[1] == L':' && path[2] == L'\\')
        return true;
    // "\\server\share\"
    if (path.size() > 2 && path.compare(0, 2, L"\\\\") == 0) {
        const auto share = path.find(L'\\', 2);
        return share != std::wstring::npos && path.find(L'\\', share + 1) == path.size() - 1;
    }
    return false;
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
    while (path.size() > 1 && path.back() == L'\\' && !IsRoot(path))
        path.pop_back();
    return path;
}

} // namespace

std::wstring WithoutLongPathPrefix(const std::wstring& path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

std::wstring ResolvePath(const std::wstring& path) {
    if (path.empty())
        return {};
    const std::wstring full = WithoutTrailingSeparator(FullPath(path));
    // The deepest part that exists is resolved; the rest follows as written.
    std::wstring head = full;
    std::wstring tail;
    for (;;) {
        if (std::optional<std::wstring> final = FinalPath(head)) {
            std::wstring resolved = WithoutTrailingSeparator(*final);
            if (!tail.empty() && resolved.back() != L'\\')
                resolved += L'\\';
            return resolved + tail;
        }
        const auto slash = head.find_last_of(L'\\');
        if (slash == std::wstring::npos || IsRoot(head))
            return full;
        tail = tail.empty() ? head.substr(slash + 1) : head.substr(slash + 1) + L'\\' + tail;
        head = head.substr(0, slash);
        if (head.size() == 2 && head[1] == L':')
            head += L'\\';
    }
}

} // namespace velmora::windows_impl
