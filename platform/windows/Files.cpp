// SPDX-License-Identifier: MIT
#include "Files.h"

#include "AtomicReplace.h"
#include "Handle.h"
#include "SystemServices.h"
#include "TemporaryPrefix.h"
#include "Win32.h"
#include "Win32Error.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace velmora::windows_impl {

namespace {

constexpr DWORD kChunk = 65536;

Handle OpenForReading(const std::wstring& path) {
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid())
        throw LastError();
    return file;
}

// Reads up to size bytes, fewer only at the end; false with GetLastError on failure.
bool ReadUpTo(HANDLE file, char* buffer, DWORD size, DWORD& done) {
    done = 0;
    while (done < size) {
        DWORD n = 0;
        if (!::ReadFile(file, buffer + done, size - done, &n, nullptr))
            return false;
        if (n == 0)
            break;
        done += n;
    }
    return true;
}

// True when the file at path holds exactly what source holds from its start.
bool SameContent(HANDLE source, const std::wstring& path) {
    Handle other(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
    if (!other.Valid())
        return false;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(source, start, nullptr, FILE_BEGIN))
        return false;
    std::unique_ptr<char[]> a(new char[kChunk]), b(new char[kChunk]);
    for (;;) {
        DWORD n = 0, m = 0;
        if (!ReadUpTo(source, a.get(), kChunk, n) || !ReadUpTo(other.Get(), b.get(), kChunk, m))
            return false;
        if (n != m || std::memcmp(a.get(), b.get(), n) != 0)
            return false;
        if (n < kChunk)
            return true;
    }
}

} // namespace

void MakeFolder(const std::wstring& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr))
        throw LastError();
}

void CopyFileKeepingOthers(const std::wstring& source, const std::wstring& target) {
    Handle in = OpenForReading(source);
    AtomicReplace out(target);
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(in.Get(), buffer.get(), kChunk, &n, nullptr))
            throw LastError();
        if (n == 0)
            break;
        out.Write(buffer.get(), n);
    }
    if (out.CommitIfAbsent())
        return;
    // A copy left by an interrupted registration, or the source itself: nothing is lost by
    // keeping it. Anything else there is someone's file.
    if (!SameContent(in.Get(), target))
        throw PlatformError(Err::FileAlreadyExists);
}

void RemoveFile(const std::wstring& path) {
    if (!::DeleteFileW(path.c_str()))
        throw LastError();
}

std::string ReadWholeFile(const std::wstring& path) {
    Handle file = OpenForReading(path);
    try {
        std::string bytes;
        LARGE_INTEGER size{};
        if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0)
            bytes.reserve(std::size_t(size.QuadPart));
        std::unique_ptr<char[]> buffer(new char[kChunk]);
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(file.Get(), buffer.get(), kChunk, &n, nullptr)) {
                const PlatformError error = LastError();
                throw ReadError(error, std::move(bytes));
            }
            if (n == 0)
                return bytes;
            bytes.append(buffer.get(), n);
        }
    } catch (const std::bad_alloc&) {
        throw PlatformError(Err::OutOfMemory);
    }
}

void WriteFileAtomically(const std::wstring& path, std::string_view data) {
    AtomicReplace out(path);
    out.Write(data.data(), int64_t(data.size()));
    out.Commit();
}

void RemoveTemporaryFiles(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((base + kTemporaryPrefix + L'*').c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return; // no folder, or nothing left behind
    const std::size_t prefixLength = std::wcslen(kTemporaryPrefix);
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        // The search also matches short 8.3 names: look at the long one.
        if (std::wcsncmp(found.cFileName, kTemporaryPrefix, prefixLength) != 0)
            continue;
        // Best effort: one file that cannot go must not keep the others.
        ::DeleteFileW((base + found.cFileName).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

std::int64_t Ticks(FILETIME time) {
    return std::int64_t((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

} // namespace

std::optional<FileStamp> StampOf(const std::wstring& path) {
    Handle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    if (!file.Valid())
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(file.Get(), &info) ||
        !::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    // File times come from the system clock's tick (100 ns units); a change within the
    // current tick could leave them unchanged. Whole milliseconds, or no change time, suggest
    // a coarse file system (FAT keeps 2 s).
    FILETIME nowTime{};
    ::GetSystemTimeAsFileTime(&nowTime);
    const std::int64_t write = Ticks(info.ftLastWriteTime);
    const std::int64_t change = basic.ChangeTime.QuadPart;
    const bool coarse = change == 0 || (write % 10000 == 0 && change % 10000 == 0);
    const std::int64_t settled = Ticks(nowTime) - (coarse ? std::int64_t(30000000) : 0);
    if (write >= settled || change >= settled)
        return std::nullopt;
    return FileStamp{
        info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow, write * 100, change * 100};
}

} // namespace velmora::windows_impl
