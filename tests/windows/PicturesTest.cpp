// SPDX-License-Identifier: MIT
#include "Expect.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"

#include <doctest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace velmora;
using velmora::test::NamesIn;
using velmora::test::ReadBytes;
using velmora::test::TestFolder;
using velmora::test::WriteBytes;

namespace {

void Put(std::string& bytes, std::size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + std::size_t(i)] = char(value >> (8 * i));
}

uint32_t Get(const std::string& bytes, std::size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | uint8_t(bytes.at(at + std::size_t(i)));
    return value;
}

// A 3 x 2 top-down 32-bit bitmap: red, green, blue over white, black, (10, 20, 30).
std::string TopDownBitmap() {
    const uint32_t pixels[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x0A141E};
    std::string bytes(54 + sizeof pixels, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put(bytes, 2, uint32_t(bytes.size()), 4);
    Put(bytes, 10, 54, 4);
    Put(bytes, 14, 40, 4);
    Put(bytes, 18, 3, 4);
    Put(bytes, 22, uint32_t(-2), 4);
    Put(bytes, 26, 1, 2);
    Put(bytes, 28, 32, 2);
    for (std::size_t i = 0; i < 6; ++i)
        Put(bytes, 54 + 4 * i, pixels[i], 4);
    return bytes;
}

// Red, green, blue of the pixel at x in stored row of a 24-bit bitmap file.
uint32_t PixelOf(const std::string& bmp, int x, int storedRow) {
    const uint32_t width = Get(bmp, 18, 4);
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    const std::size_t at = Get(bmp, 10, 4) + stride * std::size_t(storedRow) + 3 * std::size_t(x);
    return (Get(bmp, at + 2, 1) << 16) | (Get(bmp, at + 1, 1) << 8) | Get(bmp, at, 1);
}

bool Near(uint32_t rgb, uint32_t expected) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((rgb >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 40)
            return false;
    }
    return true;
}

void CheckBottomUp24(const std::string& bmp, uint32_t width, uint32_t height) {
    REQUIRE(bmp.size() >= 54);
    CHECK(bmp.substr(0, 2) == "BM");
    CHECK(Get(bmp, 2, 4) == bmp.size());
    CHECK(Get(bmp, 18, 4) == width);
    CHECK(Get(bmp, 22, 4) == height); // positive: bottom row first
    CHECK(Get(bmp, 28, 2) == 24);
    CHECK(Get(bmp, 30, 4) == 0);
    CHECK(bmp.size() == 54 + (width * 3 + 3) / 4 * 4 * height);
}

} // namespace

TEST_SUITE("pictures") {
    TEST_CASE("a picture is known by its content, and only a BMP or a JPEG is one") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        WriteBytes(folder / "drawn.jpg", TopDownBitmap()); // a bitmap, whatever its name
        WriteBytes(folder / "fake.jpg", "\xFF\xD8\xFF not really a JPEG at all");
        WriteBytes(folder / "image.bmp", "\x89PNG\r\n\x1A\n0000000000000000");
        WriteBytes(folder / "notes.bmp", "BM");

        const PictureInfo jpeg =
            services->LoadPicture(velmora::test::TestProgramFolder() + "\\sample.jpg");
        CHECK(jpeg.Kind == PictureKind::Jpeg);
        CHECK(jpeg.Width == 32);
        CHECK(jpeg.Height == 32);
        const PictureInfo bmp = services->LoadPicture(folder / "drawn.jpg");
        CHECK(bmp.Kind == PictureKind::Bmp);
        CHECK(bmp.Width == 3);
        CHECK(bmp.Height == 2);
        CHECK(bmp.Path == folder / "drawn.jpg");

        CHECK_ERROR_NUMBER(services->LoadPicture(folder / "fake.jpg"), Err::InvalidPicture);
        CHECK_ERROR_NUMBER(services->LoadPicture(folder / "image.bmp"), Err::InvalidPicture);
        CHECK_ERROR_NUMBER(services->LoadPicture(folder / "notes.bmp"), Err::InvalidPicture);
        CHECK_ERROR_NUMBER(services->LoadPicture(folder / "missing.jpg"), Err::FileNotFound);
    }

    TEST_CASE("a saved picture is a bottom-up 24-bit bitmap with the picture's pixels") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        WriteBytes(folder / "drawn.bmp", TopDownBitmap());
        const std::string target = folder / "Kabegami.bmp";

        services->SavePicture(services->LoadPicture(folder / "drawn.bmp"), target);
        const std::string bmp = ReadBytes(target);
        CheckBottomUp24(bmp, 3, 2);
        CHECK(PixelOf(bmp, 0, 0) == 0xFFFFFF);
        CHECK(PixelOf(bmp, 1, 0) == 0x000000);
        CHECK(PixelOf(bmp, 2, 0) == 0x0A141E);
        CHECK(PixelOf(bmp, 0, 1) == 0xFF0000);
        CHECK(PixelOf(bmp, 1, 1) == 0x00FF00);
        CHECK(PixelOf(bmp, 2, 1) == 0x0000FF);

        // A JPEG replaces it: red above blue, so blue is stored first.
        const PictureInfo jpeg =
            services->LoadPicture(velmora::test::TestProgramFolder() + "\\sample.jpg");
        services->SavePicture(jpeg, target);
        const std::string decoded = ReadBytes(target);
        CheckBottomUp24(decoded, 32, 32);
        CHECK(Near(PixelOf(decoded, 16, 0), 0x0000FF));
        CHECK(Near(PixelOf(decoded, 16, 31), 0xFF0000));
        CHECK(NamesIn(folder.Path()) == "Kabegami.bmp drawn.bmp");
    }

    TEST_CASE("a picture refused on saving leaves the former bitmap") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        WriteBytes(folder / "Kabegami.bmp", "the former bitmap");
        WriteBytes(folder / "changed.bmp", TopDownBitmap());
        const PictureInfo checked = services->LoadPicture(folder / "changed.bmp");
        WriteBytes(folder / "changed.bmp", "BM, then nothing a decoder could use");

        CHECK_ERROR_NUMBER(services->SavePicture(checked, folder / "Kabegami.bmp"),
                           Err::InvalidPicture);
        CHECK(ReadBytes(folder / "Kabegami.bmp") == "the former bitmap");
        CHECK(NamesIn(folder.Path()) == "Kabegami.bmp changed.bmp");
    }
}
