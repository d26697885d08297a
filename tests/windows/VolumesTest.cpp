// SPDX-License-Identifier: MIT
#include "Expect.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"
#include "Win32.h"

#include <doctest.h>

#include <algorithm>
#include <cctype>

using namespace velmora;
using velmora::test::TestFolder;

TEST_SUITE("volumes") {
    TEST_CASE("the drive of a folder is listed and found again by its name") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        const std::string resolved = services->ResolvePath(folder.Path());

        const DriveInfo drive = services->DriveOf(folder.Path());
        CHECK(drive.Root == resolved.substr(0, 3));
        CHECK(drive.Name.substr(0, 2) == std::string{char(std::tolower(resolved[0])), ':'});
        const std::vector<DriveInfo> drives = services->ListDrives();
        CHECK(std::any_of(drives.begin(), drives.end(), [&](const DriveInfo& listed) {
            return listed.Name == drive.Name && listed.Root == drive.Root;
        }));
        CHECK(services->DriveByName(drive.Name).Root == drive.Root);
        CHECK(services->GetDriveType(drive.Root) == DriveType::Fixed);
        CHECK(services->GetDriveType(drive.Root.substr(0, 2)) == DriveType::Fixed);
    }

    TEST_CASE("a drive that is gone is not ready") {
        const auto services = CreateSystemServices();
        const DWORD used = ::GetLogicalDrives();
        char unused = 0;
        for (char letter = 'Y'; letter > 'D' && !unused; --letter) {
            if (!(used & (1u << (letter - 'A'))))
                unused = letter;
        }
        REQUIRE(unused != 0);
        const std::string root = std::string{unused, ':', '\\'};
        CHECK_ERROR_NUMBER(
            services->DriveByName(std::string{char(std::tolower(unused)), ':'} + " [USB STICK]"),
            Err::DiskNotReady);
        CHECK(services->GetDriveType(root) == DriveType::NoRootDir);
    }
}
