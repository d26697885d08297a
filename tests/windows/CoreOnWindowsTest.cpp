// SPDX-License-Identifier: MIT
#include "Expect.h"
#include "ListFileFormat.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"

#include <doctest.h>

using namespace velmora;
using velmora::test::TestFolder;
using velmora::test::WriteBytes;

TEST_SUITE("core") {
    TEST_CASE("a list file written on Windows reads back the same") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        const ListHeader header{"c: [SYSTEM]", "C:\\壁紙\\", "1"};
        const KabegamiEntries entries{
            {"C:\\壁紙\\", "海, 夕方.jpg", "C:\\Velmora\\Pic\\海, 夕方.bmp", "1"},
            {"D:\\写真 \"旅\"\\", " lead.bmp", "D:\\写真 \"旅\"\\ lead.bmp", "0"},
        };
        const std::string list = folder / "Kabegamilist.def";

        services->WriteFileAtomically(list, FormatListFile(header, entries));
        const ListFileContent read = ParseListFile(services->ReadFile(list), *services);

        CHECK(read.ErrorNumber == 0);
        CHECK(read.Encoding == ListEncoding::Utf8);
        CHECK(read.LastDrive == header.LastDrive);
        CHECK(read.LastFolder == header.LastFolder);
        CHECK(read.FileCopySetting == header.FileCopySetting);
        CHECK(read.Entries == entries);
    }

    TEST_CASE("a list file of the older Windows form is read in code page 932") {
        const auto services = CreateSystemServices();
        TestFolder folder;
        // "壁紙" is 95 C7 8E 86; "①" (NEC) 87 40; "ⅰ" (IBM) FA 40; "纊" (IBM) FA 5C, whose
        // second byte is a backslash, and (NEC-selected IBM) ED 40.
        const std::string wall = "\x95\xC7\x8E\x86";
        const std::string name = "\x87\x40\xFA\x40\xFA\x5C\xED\x40.bmp";
        const std::string bytes = "c: [SYSTEM]\r\nC:\\" + wall + "\\\r\n0\r\nC:\\" + wall +
                                  "\\\r\n" + name + "\r\nC:\\" + wall + "\\" + name + "\r\n0\r\n";
        WriteBytes(folder / "Kabegamilist.def", bytes);

        const ListFileContent read =
            ParseListFile(services->ReadFile(folder / "Kabegamilist.def"), *services);

        CHECK(read.ErrorNumber == 0);
        CHECK(read.Encoding == ListEncoding::Cp932);
        CHECK(read.LastFolder == "C:\\壁紙\\");
        REQUIRE(read.Entries.size() == 1);
        CHECK(read.Entries[0] ==
              KabegamiEntry{"C:\\壁紙\\", "①ⅰ纊纊.bmp", "C:\\壁紙\\①ⅰ纊纊.bmp", "0"});
    }

    TEST_CASE("bytes that are no code page 932 text decode to nothing") {
        const auto services = CreateSystemServices();
        CHECK(services->Cp932ToUtf8("") == std::string());
        CHECK(services->Cp932ToUtf8("\x82\xA0\x82\xA2") == std::string("あい"));
        // A lead byte at the end, and one whose second byte cannot follow it.
        CHECK_FALSE(services->Cp932ToUtf8("abc\x82").has_value());
        CHECK_FALSE(services->Cp932ToUtf8("\x82\x20x").has_value());
    }
}
