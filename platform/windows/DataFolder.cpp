// SPDX-License-Identifier: MIT
#include "DataFolder.h"

#include "Handle.h"
#include "TemporaryPrefix.h"
#include "Win32.h"
#include "Win32Error.h"

#include <shlobj.h>

namespace velmora::windows_impl {

namespace {

// Access rights tell too little (virtualised Program Files, read-only media): try it.
bool UserCanWrite(const std::wstring& folder) {
    // A name of this process's own: two programs starting at once must not collide.
    const std::wstring probe =
        folder + L'\\' + kTemporaryPrefix + L"probe-" + std::to_wstring(::GetCurrentProcessId());
    Handle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.Valid();
}

std::wstring KnownLocalAppData() {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &path)))
        result = path;
    ::CoTaskMemFree(path);
    return result;
}

} // namespace

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            throw LastError();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring ChooseDataFolder(const std::wstring& programFolder, const std::wstring& localAppData) {
    if (UserCanWrite(programFolder))
        return programFolder;
    if (localAppData.empty())
        throw PlatformError(Err::PathNotFound);
    const std::wstring folder = localAppData + L"\\Velmora";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throw LastError();
    if (!UserCanWrite(folder))
        throw PlatformError(Err::PermissionDenied);
    return folder;
}

std::wstring DataFolder() {
    return ChooseDataFolder(ProgramFolder(), KnownLocalAppData());
}

} // namespace velmora::windows_impl
