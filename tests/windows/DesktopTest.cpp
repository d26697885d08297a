// SPDX-License-Identifier: MIT
#include "Desktop.h"
#include "Expect.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"
#include "WideText.h"

#include <doctest.h>

using namespace velmora;
using velmora::test::TestFolder;

TEST_SUITE("desktop") {
    TEST_CASE("the wallpaper set is the one the desktop reports, and none clears it") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        const std::string bmp = folder / "Kabegami.bmp";
        const PictureInfo sample =
            services->LoadPicture(velmora::test::TestProgramFolder() + "\\sample.jpg");
        services->SavePicture(sample, bmp);
        services->SavePicture(sample, folder / "壁紙 2.bmp");

        services->SetDeskWallpaper(bmp, WallpaperFlags::SessionOnly);
        CHECK(windows_impl::Narrow(windows_impl::DeskWallpaper()) == bmp);
        services->SetDeskWallpaper(folder / "壁紙 2.bmp", WallpaperFlags::Store);
        CHECK(windows_impl::Narrow(windows_impl::DeskWallpaper()) == folder / "壁紙 2.bmp");
        services->SetDeskWallpaper("", WallpaperFlags::Store);
        CHECK(windows_impl::DeskWallpaper().empty());
    }
}
