// SPDX-License-Identifier: MIT
#include "InstanceLock.h"

#include "PathResolution.h"
#include "Win32.h"
#include "Win32Error.h"

#include <cstdint>
#include <cstdio>

namespace velmora::windows_impl {

std::wstring InstanceMutexName(const std::wstring& folder) {
    std::wstring key = ResolvePath(folder);
    if (!key.empty())
        ::CharUpperBuffW(key.data(), DWORD(key.size()));
    // Object names allow no "\" past the namespace and are short: a hash of the path.
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const wchar_t c : key) {
        hash ^= uint16_t(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Global\\Velmora-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

bool InstanceLock::HeldByAnother(const std::wstring& folder) {
    const std::wstring name = InstanceMutexName(folder);
    if (mutex_.Valid() && name == heldName_)
        return false; // this run's own
    ::SetLastError(ERROR_SUCCESS);
    Handle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = ::GetLastError();
    // Another user's mutex cannot be opened at all, which shows it is there just as well.
    if (!mutex.Valid() && error == ERROR_ACCESS_DENIED)
        return true;
    if (!mutex.Valid())
        throw ErrorFromWin32(error);
    if (error == ERROR_ALREADY_EXISTS)
        return true;
    mutex_ = std::move(mutex);
    heldName_ = name;
    return false;
}

} // namespace velmora::windows_impl
