// SPDX-License-Identifier: MIT
#include "Expect.h"
#include "Handle.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"
#include "WideText.h"
#include "Win32.h"

#include <doctest.h>

#include <optional>

using namespace velmora;
using velmora::test::NamesIn;
using velmora::test::ReadBytes;
using velmora::test::TestFolder;
using velmora::test::WriteBytes;
using velmora::windows_impl::Handle;
using velmora::windows_impl::Widen;

TEST_SUITE("files") {
    TEST_CASE("a same-size edit that puts back the write time still changes the stamp") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        const std::string path = folder / "list.def";
        services->WriteFileAtomically(path, "abc");
        ::Sleep(100); // past the clock's tick: the stamp can be trusted
        const std::optional<FileStamp> first = services->StampOf(path);
        REQUIRE(first.has_value());
        CHECK(services->StampOf(path) == first);

        Handle file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(file.Valid());
        FILETIME written{};
        REQUIRE(::GetFileTime(file.Get(), nullptr, nullptr, &written));
        DWORD done = 0;
        REQUIRE(::WriteFile(file.Get(), "x", 1, &done, nullptr));
        REQUIRE(::SetFileTime(file.Get(), nullptr, nullptr, &written));
        file = Handle();
        ::Sleep(100);

        const std::optional<FileStamp> second = services->StampOf(path);
        REQUIRE(second.has_value());
        CHECK(second->Size == first->Size);
        CHECK(second->WriteTimeNs == first->WriteTimeNs);
        CHECK(*second != *first);
    }

    TEST_CASE("a missing file and a missing folder give their own numbers") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        WriteBytes(folder / "there.txt", "x");

        CHECK_ERROR_NUMBER(services->ReadFile(folder / "missing.txt"), Err::FileNotFound);
        CHECK_ERROR_NUMBER(services->ReadFile(folder / "gone\\file.txt"), Err::PathNotFound);
        CHECK_ERROR_NUMBER(services->DeleteFile(folder / "missing.txt"), Err::FileNotFound);
        CHECK_ERROR_NUMBER(services->CopyFile(folder / "missing.txt", folder / "copy.txt"),
                           Err::FileNotFound);
        CHECK_ERROR_NUMBER(services->CopyFile(folder / "there.txt", folder / "gone\\copy.txt"),
                           Err::PathNotFound);
        CHECK_ERROR_NUMBER(services->MkDir(folder.Path()), Err::PathFileAccess);
        CHECK_ERROR_NUMBER(services->WriteFileAtomically(folder / "gone\\new.txt", "x"),
                           Err::PathNotFound);
        CHECK_ERROR_NUMBER(services->ReadFile(folder / "bad\x01name?.txt"), Err::BadFileName);
        CHECK_FALSE(services->FileExists(folder / "missing.txt"));
        CHECK(services->FileExists(folder / "there.txt"));
        CHECK(services->FileExists(folder.Path() + "\\"));
    }

    TEST_CASE("a copy keeps another file of the target's name") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        WriteBytes(folder / "picture.bmp", "the picture's bytes");

        services->CopyFile(folder / "picture.bmp", folder / "copy.bmp");
        CHECK(ReadBytes(folder / "copy.bmp") == "the picture's bytes");

        // The copy an interrupted registration left: the same bytes, so it is kept as it is.
        services->CopyFile(folder / "picture.bmp", folder / "copy.bmp");
        CHECK(ReadBytes(folder / "copy.bmp") == "the picture's bytes");

        WriteBytes(folder / "other.bmp", "the picture's bytez");
        CHECK_ERROR_NUMBER(services->CopyFile(folder / "picture.bmp", folder / "other.bmp"),
                           Err::FileAlreadyExists);
        CHECK(ReadBytes(folder / "other.bmp") == "the picture's bytez");
        WriteBytes(folder / "longer.bmp", "the picture's bytes and more");
        CHECK_ERROR_NUMBER(services->CopyFile(folder / "picture.bmp", folder / "longer.bmp"),
                           Err::FileAlreadyExists);
        CHECK(NamesIn(folder.Path()) == "copy.bmp longer.bmp other.bmp picture.bmp");
    }

    TEST_CASE("an atomic write leaves the old content when it cannot finish") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        const std::string list = folder / "Kabegamilist.def";

        services->WriteFileAtomically(list, "first");
        services->WriteFileAtomically(list, "second, longer");
        CHECK(services->ReadFile(list) == "second, longer");

        {
            // Someone holds the file open without letting it be replaced.
            windows_impl::Handle reader(::CreateFileW(windows_impl::Widen(list).c_str(),
                                                      GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, 0, nullptr));
            REQUIRE(reader.Valid());
            int number = 0;
            try {
                services->WriteFileAtomically(list, "third");
            } catch (const PlatformError& error) {
                number = error.Number;
            }
            CHECK((number == Err::PermissionDenied || number == Err::PathFileAccess));
        }
        CHECK(services->ReadFile(list) == "second, longer");
        CHECK(NamesIn(folder.Path()) == "Kabegamilist.def");
    }

    TEST_CASE("what killed writes left behind is removed, nothing else") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        WriteBytes(folder / ".velmora-tmp-1a2b", "half a list");
        WriteBytes(folder / ".velmora-tmp-zz", "half a bitmap");
        WriteBytes(folder / "velmora-tmp-keep", "not ours");
        WriteBytes(folder / "Kabegamilist.def", "list");

        services->RemoveTemporaryFiles(folder.Path());
        CHECK(NamesIn(folder.Path()) == "Kabegamilist.def velmora-tmp-keep");
        services->RemoveTemporaryFiles(folder / "no such folder");
    }

    TEST_CASE("a path resolves to the names on the disk, as far as they exist") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        services->MkDir(folder / "Pictures");
        WriteBytes(folder / "Pictures\\Sea.bmp", "x");
        const std::string base = services->ResolvePath(folder.Path());

        CHECK(services->ResolvePath(folder / "pictures\\..\\PICTURES\\sea.BMP") ==
              base + "\\Pictures\\Sea.bmp");
        CHECK(services->ResolvePath(folder / "pictures\\.\\New\\..\\Later\\x.bmp") ==
              base + "\\Pictures\\Later\\x.bmp");
        CHECK(services->ResolvePath(folder / "Pictures\\") == base + "\\Pictures");
        CHECK(services->ResolvePath("c:\\") == "C:\\");
    }
}
