// SPDX-License-Identifier: MIT
#include "AtomicReplace.h"

#include "TemporaryPrefix.h"
#include "Win32.h"
#include "Win32Error.h"

#include <algorithm>
#include <cstdio>

namespace velmora::windows_impl {

namespace {

constexpr int kNameAttempts = 100;

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    return path.substr(0, slash);
}

std::wstring UniqueSuffix(int attempt) {
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    wchar_t text[64];
    std::swprintf(text, 64, L"%lx-%llx-%x", ::GetCurrentProcessId(),
                  static_cast<unsigned long long>(counter.QuadPart), unsigned(attempt));
    return text;
}

} // namespace

AtomicReplace::AtomicReplace(const std::wstring& target) : target_(target) {
    const std::wstring prefix = FolderOf(target) + L'\\' + kTemporaryPrefix;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary_ = prefix + UniqueSuffix(attempt);
        file_ = Handle(::CreateFileW(temporary_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.Valid())
            return;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            temporary_.clear();
            throw ErrorFromWin32(error);
        }
    }
    temporary_.clear();
    throw PlatformError(Err::PathFileAccess);
}

AtomicReplace::~AtomicReplace() {
    if (committed_ || temporary_.empty())
        return;
    file_.Close();
    ::DeleteFileW(temporary_.c_str());
}

void AtomicReplace::Fail(unsigned long win32Error) {
    file_.Close();
    ::DeleteFileW(temporary_.c_str());
    temporary_.clear();
    throw ErrorFromWin32(win32Error);
}

void AtomicReplace::Write(const void* data, int64_t size) {
    WriteAt(position_, data, size);
    position_ += size;
}

void AtomicReplace::WriteAt(int64_t offset, const void* data, int64_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(uint64_t(offset));
        at.OffsetHigh = DWORD(uint64_t(offset) >> 32);
        const DWORD chunk = DWORD(std::min<int64_t>(size, 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(file_.Get(), bytes, chunk, &written, &at))
            Fail(::GetLastError());
        if (written == 0)
            Fail(ERROR_DISK_FULL);
        bytes += written;
        offset += written;
        size -= written;
    }
}

void AtomicReplace::Reserve(int64_t size) {
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = size;
    // Not every file system can claim space ahead; a full disk then fails at the writes.
    if (!::SetFileInformationByHandle(file_.Get(), FileAllocationInfo, &allocation,
                                      sizeof allocation)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
            Fail(error);
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    if (!::SetFileInformationByHandle(file_.Get(), FileEndOfFileInfo, &end, sizeof end))
        Fail(::GetLastError());
}

void AtomicReplace::Flush() {
    if (!::FlushFileBuffers(file_.Get()))
        Fail(::GetLastError());
    if (!file_.Close())
        Fail(::GetLastError());
}

void AtomicReplace::Commit() {
    Flush();
    if (!::MoveFileExW(temporary_.c_str(), target_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(::GetLastError());
    committed_ = true;
}

bool AtomicReplace::CommitIfAbsent() {
    Flush();
    if (!::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
            return false;
        Fail(error);
    }
    committed_ = true;
    return true;
}

} // namespace velmora::windows_impl
