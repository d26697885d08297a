// SPDX-License-Identifier: MIT
#include "Expect.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"
#include "WideText.h"
#include "Win32.h"

#include <doctest.h>

#include <string>
#include <vector>

using namespace velmora;
using velmora::test::TestFolder;
using velmora::test::WriteBytes;
using Names = std::vector<std::string>;

namespace {

void Hide(const std::string& path) {
    REQUIRE(::SetFileAttributesW(windows_impl::Widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
}

} // namespace

TEST_SUITE("listing") {
    TEST_CASE("files of every pattern, letter case ignored, sorted, each once") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        for (const char* name : {"b.JPG", "A.bmp", "c.jpeg", "e.Jpg", "_under.bmp", "d.png",
                                 "photo.jpgx", "notes.txt", "海.BMP", "hidden.bmp"})
            WriteBytes(folder / name, "x");
        Hide(folder / "hidden.bmp");
        services->MkDir(folder / "folder.bmp");

        const Names expected{"_under.bmp", "A.bmp", "b.JPG", "c.jpeg", "e.Jpg", "海.BMP"};
        // Joined in one element, or one per element, and named twice: the same list.
        CHECK(services->ListFiles(folder.Path(), {"*.BMP;*.JPG;*.JPEG"}) == expected);
        CHECK(services->ListFiles(folder.Path() + "\\", {"*.jpeg", "*.bmp", "*.JPG", "*.jpg"}) ==
              expected);
        CHECK(services->ListFiles(folder.Path(), {"*.gif"}).empty());
        CHECK(services->ListFiles(folder.Path(), {}).size() == 9);
    }

    TEST_CASE("visible subfolders, sorted ignoring case") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        for (const char* name : {"Zeta", "alpha", "Beta", "secret"})
            services->MkDir(folder / name);
        Hide(folder / "secret");
        WriteBytes(folder / "file", "x");

        CHECK(services->ListSubfolders(folder.Path()) == Names{"alpha", "Beta", "Zeta"});
        CHECK(services->ListSubfolders(folder / "alpha").empty());
        CHECK_ERROR_NUMBER(services->ListSubfolders(folder / "gone"), Err::PathNotFound);
        CHECK_ERROR_NUMBER(services->ListFiles(folder / "gone\\deeper", {"*.bmp"}),
                           Err::PathNotFound);
        CHECK_ERROR_NUMBER(services->ListFiles(folder / "file", {"*.bmp"}), Err::PathNotFound);
    }
}
