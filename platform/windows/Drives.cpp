// SPDX-License-Identifier: MIT
#include "Drives.h"

#include "PathResolution.h"
#include "WideText.h"
#include "Win32.h"
#include "Win32Error.h"

#include <cwctype>

namespace velmora::windows_impl {

namespace {

// The selector text of the drive at root ("C:\").
DriveInfo DescribeDrive(const std::wstring& root) {
    // A drive without its medium must not make Windows ask for one.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    wchar_t label[MAX_PATH + 1] = {};
    const bool ready = ::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                                               nullptr, nullptr, 0) != 0;
    ::SetThreadErrorMode(oldMode, nullptr);
    std::wstring name;
    name += wchar_t(std::towlower(root[0]));
    name += L':';
    if (ready && label[0] != L'\0')
        name += std::wstring(L" [") + label + L']';
    return {Narrow(name), Narrow(root)};
}

std::wstring RootOfLetter(wchar_t letter) {
    return std::wstring(1, wchar_t(std::towupper(letter))) + L":\\";
}

bool LetterInUse(wchar_t letter) {
    const wchar_t upper = wchar_t(std::towupper(letter));
    if (upper < L'A' || upper > L'Z')
        return false;
    return (::GetLogicalDrives() >> (upper - L'A')) & 1;
}

} // namespace

std::vector<DriveInfo> ListDrives() {
    std::wstring roots(256, L'\0');
    for (;;) {
        const DWORD n = ::GetLogicalDriveStringsW(DWORD(roots.size()), roots.data());
        if (n == 0)
            throw LastError();
        if (n < roots.size()) {
            roots.resize(n);
            break;
        }
        roots.resize(n + 1);
    }
    std::vector<DriveInfo> drives;
    for (std::size_t start = 0; start < roots.size();) {
        const std::size_t end = roots.find(L'\0', start);
        const std::wstring root = roots.substr(start, end - start);
        if (!root.empty())
            drives.push_back(DescribeDrive(root));
        start = end == std::wstring::npos ? roots.size() : end + 1;
    }
    return drives;
}

DriveInfo DriveOf(const std::string& folder) {
    const std::wstring wide = Widen(folder);
    wchar_t volume[MAX_PATH + 1] = {};
    std::wstring root;
    if (::GetVolumePathNameW(wide.c_str(), volume, MAX_PATH + 1))
        root = WithoutLongPathPrefix(volume);
    else if (wide.size() >= 2 && wide[1] == L':')
        root = RootOfLetter(wide[0]);
    else
        throw LastError();
    if (root.size() >= 2 && root[1] == L':')
        return DescribeDrive(RootOfLetter(root[0]));
    if (root.back() != L'\\')
        root += L'\\';
    // A share has no letter: its own name stands for it.
    return {Narrow(root.substr(0, root.size() - 1)), Narrow(root)};
}

DriveInfo DriveByName(const std::string& name) {
    if (name.size() >= 2 && name[1] == ':' && LetterInUse(wchar_t(name[0])))
        return DescribeDrive(RootOfLetter(wchar_t(name[0])));
    if (name.compare(0, 2, "\\\\") == 0) {
        const std::wstring root = Widen(name) + L'\\';
        if (::GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES)
            return {name, Narrow(root)};
    }
    throw PlatformError(Err::DiskNotReady);
}

int DriveTypeOf(const std::string& root) {
    std::wstring wide = Widen(root);
    if (!wide.empty() && wide.back() != L'\\')
        wide += L'\\';
    return int(::GetDriveTypeW(wide.c_str()));
}

} // namespace velmora::windows_impl
