// SPDX-License-Identifier: MIT
// The list file's bytes and its reader's tolerance.
#include "ListFileFormat.h"
#include "CoreTest.h"
#include "PlatformError.h"

#include <random>
#include <vector>

using namespace velmora;

namespace {

ListFileContent Parse(std::string_view bytes, bool cut = false) {
    static const std::unique_ptr<TextDecoding> text = test::MakePlatformText();
    return ParseListFile(std::string(bytes), *text, cut);
}

int HeaderValuesRead(const ListFileContent& c) {
    return int(c.LastDrive.has_value()) + int(c.LastFolder.has_value()) +
           int(c.FileCopySetting.has_value());
}

// The UTF-16 form of ASCII and BMP text given as UTF-8, with its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : text) {
        const char high = char(c >> 8);
        const char low = char(c & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

} // namespace

TEST_CASE("an empty list is its header alone") {
    const std::string bytes = FormatListFile({"/ [root]", "/home/u/", "1"}, {});
    CHECK(bytes == "/ [root],/home/u/,1\r\n");
    const ListFileContent back = Parse(bytes);
    CHECK(back.ErrorNumber == 0);
    CHECK(back.Entries.empty());
    CHECK(*back.LastDrive == "/ [root]");
    CHECK(*back.LastFolder == "/home/u/");
    CHECK(*back.FileCopySetting == "1");
}

TEST_CASE("every entry is a CR LF line and reads back") {
    const KabegamiEntries entries{
        {"/p/", "a.bmp", "/p/a.bmp", "0"},
        {"/media/cd/", "海.JPG", "/app/Pic/海.JPG", "1"},
        {"/p/", "c.jpeg", "/p/c.jpeg", "0"},
    };
    const std::string bytes = FormatListFile({"/ [root]", "/p/", "0"}, entries);
    CHECK(bytes == "/ [root],/p/,0\r\n"
                   "/p/,a.bmp,/p/a.bmp,0\r\n"
                   "/media/cd/,海.JPG,/app/Pic/海.JPG,1\r\n"
                   "/p/,c.jpeg,/p/c.jpeg,0\r\n");
    const ListFileContent back = Parse(bytes);
    CHECK(back.ErrorNumber == 0);
    CHECK(back.Entries == entries);
}

TEST_CASE("items, not lines") {
    // Header split over two lines, blanks before items, a quoted item holding a comma and a
    // line break, LF-only line ends.
    const ListFileContent back = Parse("  /mnt/x [USB STICK],/mnt/x/\r\n1\r\n"
                                       "\"/a,b/\",  \"x\ny.bmp\",/q/z.bmp,0\n"
                                       "/e/,e.bmp\n/e/e.bmp,1\r\n/g/, g.bmp,/g/g.bmp,0\r\n"
                                       "/c/,d.bmp,/c/d.bmp,1");
    CHECK(back.ErrorNumber == 0);
    CHECK(*back.LastDrive == "/mnt/x [USB STICK]");
    CHECK(*back.LastFolder == "/mnt/x/");
    CHECK(*back.FileCopySetting == "1");
    REQUIRE(back.Entries.size() == 4);
    CHECK(back.Entries[0] == KabegamiEntry{"/a,b/", "x\ny.bmp", "/q/z.bmp", "0"});
    CHECK(back.Entries[1] == KabegamiEntry{"/e/", "e.bmp", "/e/e.bmp", "1"});
    CHECK(back.Entries[2] == KabegamiEntry{"/g/", "g.bmp", "/g/g.bmp", "0"});
    CHECK(back.Entries[3] == KabegamiEntry{"/c/", "d.bmp", "/c/d.bmp", "1"});
    // Written again, each entry is as its fields ask, however the file had laid it out.
    KabegamiEntries added;
    for (const KabegamiEntryView e : back.Entries)
        added.push_back(e);
    CHECK(FormatListFile({"d", "f", "1"}, back.Entries) == FormatListFile({"d", "f", "1"}, added));
}

TEST_CASE("short files: the end of the file comes too early") {
    const ListFileContent back = Parse("d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp\r\n");
    CHECK(back.ErrorNumber == Err::InputPastEnd);
    REQUIRE(back.Entries.size() == 1);
    CHECK(back.Entries[0].FileName == "a.bmp");

    const std::pair<std::string_view, int> cases[] = {{"", 0}, {"d,f\r\n", 2}, {"   ", 0}};
    for (const auto& [bytes, headerValues] : cases) {
        CAPTURE(bytes);
        const ListFileContent c = Parse(bytes);
        CHECK(c.ErrorNumber == Err::InputPastEnd);
        CHECK(HeaderValuesRead(c) == headerValues);
    }
}

// Lists from the Windows form (code page 932) and from text editors (UTF-16 with its mark)
// read as the same text, Windows paths included.
TEST_CASE("other encodings read as the same text") {
    const std::u16string text = u"C:\\,C:\\壁紙\\,1\r\n"
                                u"C:\\壁紙\\,①ⅰ纊～ｱ.bmp,C:\\壁紙\\①ⅰ纊～ｱ.bmp,0\r\n";
    const std::string utf8 = "C:\\,C:\\壁紙\\,1\r\n"
                             "C:\\壁紙\\,①ⅰ纊～ｱ.bmp,C:\\壁紙\\①ⅰ纊～ｱ.bmp,0\r\n";
    // 壁紙 is 95 C7 8E 86; ① ⅰ 纊 are NEC and IBM extensions (87 40, FA 40, ED 40).
    const std::string cp932 = "C:\\,C:\\\x95\xC7\x8E\x86\\,1\r\nC:\\\x95\xC7\x8E\x86\\,"
                              "\x87\x40\xFA\x40\xED\x40\x81\x60\xB1.bmp,"
                              "C:\\\x95\xC7\x8E\x86\\\x87\x40\xFA\x40\xED\x40\x81\x60\xB1.bmp,"
                              "0\r\n";
    const std::pair<std::string, ListEncoding> cases[] = {
        {cp932, ListEncoding::Cp932},
        {Utf16(text, false), ListEncoding::Utf16LE},
        {Utf16(text, true), ListEncoding::Utf16BE},
        {utf8, ListEncoding::Utf8},
    };
    for (const auto& [bytes, encoding] : cases) {
        CAPTURE(int(encoding));
        const ListFileContent back = Parse(bytes);
        CHECK(back.ErrorNumber == 0);
        CHECK(back.Encoding == encoding);
        CHECK(*back.LastFolder == "C:\\壁紙\\");
        REQUIRE(back.Entries.size() == 1);
        CHECK(back.Entries[0] ==
              KabegamiEntry{"C:\\壁紙\\", "①ⅰ纊～ｱ.bmp", "C:\\壁紙\\①ⅰ纊～ｱ.bmp", "0"});
    }
}

// Bytes that no encoding gives as text stop the read with a message of their own; they
// never become replacement characters. Entries before them stay.
TEST_CASE("bytes no encoding reads are refused") {
    const std::pair<std::string, std::size_t> cases[] = {
        {"d,f,1\r\n/p/,\x82\xA0.bmp,/p/x,0\r\n/p/,\x81 .bmp,/p/y,0\r\n", 1}, // lead byte, blank
        {"d,f,1\r\n\xA0,a,b,0\r\n", 0},                                      // unassigned byte
        {std::string("\xFF\xFE"
                     "d\0,\0\x00\xD8,\0\x31\0",
                     12),
         0},                                                  // lone surrogate
        {std::string("\xFE\xFF\0d\0,\0f\0,\0\x31\0", 13), 0}, // odd length
    };
    for (const auto& [bytes, entries] : cases) {
        CAPTURE(bytes);
        const ListFileContent back = Parse(bytes);
        CHECK(back.ErrorNumber == Err::PathFileAccess);
        CHECK(back.ErrorDescription.find("読めない") != std::string::npos);
        CHECK(back.Entries.size() == entries);
        for (const KabegamiEntryView e : back.Entries) {
            for (const std::string_view field : {e.Folder, e.FileName, e.KabegamiPath}) {
                CHECK(field.find("\xEF\xBF\xBD") == std::string::npos);
                CHECK(field.find('\x1A') == std::string::npos);
            }
        }
    }
}

// The bytes before a failing read end anywhere: inside a name, a quoted item or a
// character. Only entries that ended before the cut are whole.
TEST_CASE("a cut read keeps only whole entries") {
    const std::string two = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,b.bmp,/p/b.bmp,0\r\n";
    const std::string quoted = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n\"/p,\nq/\",b.bmp,/p/b.bmp,0\r\n";
    const std::string character = "d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n/p/,海.bmp";
    const auto chopped = [](const std::string& s, std::size_t n) {
        return s.substr(0, s.size() - n);
    };
    const std::pair<std::string, std::size_t> cases[] = {
        {two, 2},
        {chopped(two, 3), 1},
        {chopped(two, 8), 1},
        {chopped(quoted, 22), 1},
        {chopped(character, 6), 1},
    };
    for (const auto& [bytes, entries] : cases) {
        CAPTURE(bytes);
        const ListFileContent back = Parse(bytes, true);
        CHECK(back.Encoding == ListEncoding::Utf8);
        REQUIRE(back.Entries.size() == entries);
        CHECK(back.Entries[0] == KabegamiEntry{"/p/", "a.bmp", "/p/a.bmp", "0"});
    }
}

TEST_CASE("fields the reader would split or trim are quoted") {
    const KabegamiEntries entries{{" lead/", "a,b.bmp", "x\r\ny", "0"}};
    const std::string bytes = FormatListFile({"d", "f", "1"}, entries);
    CHECK(bytes == "d,f,1\r\n\" lead/\",\"a,b.bmp\",\"x\r\ny\",0\r\n");
    CHECK(Parse(bytes).Entries == entries);
}

TEST_CASE("what cannot be stored is refused") {
    // A field that needs quoting and holds a quotation mark has no way back.
    for (const std::string bad : {"\"quoted", "a,\"b", "x\ny\""}) {
        CAPTURE(bad);
        CHECK_FALSE(IsStorableField(bad));
        try {
            FormatListFile({"d", "f", "1"}, {{"/p/", bad, "/p/x", "0"}});
            FAIL("an unstorable field was written");
        } catch (const PlatformError& error) {
            CHECK(error.Number == Err::BadFileName);
            CHECK(error.Description.find(bad) != std::string::npos);
        }
    }
    // A quotation mark inside an otherwise plain field is harmless.
    CHECK(IsStorableField("say \"hi\".bmp"));
    // Bytes that are no UTF-8 (a surrogate, an overlong form, a cut character) are no text.
    for (const std::string bad : {"\xED\xA0\x80", "\xC0\xAF", "a\xE6\xB5"}) {
        CAPTURE(bad);
        CHECK_FALSE(IsStorableField(bad));
        CHECK_FALSE(IsValidUtf8(bad));
        // Also when added to a list read from a file, whose own fields are known to be text.
        KabegamiEntries read = Parse("d,f,1\r\n/p/,a.bmp,/p/a.bmp,0\r\n").Entries;
        read.push_back({"/p/", bad, "/p/x", "0"});
        CHECK_THROWS_AS(FormatListFile({"d", "f", "1"}, read), PlatformError);
    }
    CHECK(IsValidUtf8("壁紙😀é"));
}

// Every list the writer accepts reads back field for field.
TEST_CASE("generated lists round-trip") {
    std::mt19937 random(20261207);
    const std::vector<std::string> alphabet = {"a",  "b",  " ",  "Z", ",", "\"", "\r",
                                               "\n", "\t", "/",  ".", "-", "_",  "壁",
                                               "紙", "Ｐ", "ｐ", "é", "Å", "😀"};
    const auto field = [&]() {
        std::string s;
        const int length = int(random() % 12);
        for (int i = 0; i < length; ++i)
            s += alphabet[random() % alphabet.size()];
        return s;
    };
    int written = 0;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        const ListHeader header{field(), field(), field()};
        KabegamiEntries entries;
        const int count = int(random() % 6);
        for (int i = 0; i < count; ++i)
            entries.push_back({field(), field(), field(), field()});
        std::string bytes;
        try {
            bytes = FormatListFile(header, entries);
        } catch (const PlatformError&) {
            ++refused;
            continue;
        }
        ++written;
        REQUIRE(bytes.ends_with("\r\n"));
        const ListFileContent back = Parse(bytes);
        REQUIRE(back.ErrorNumber == 0);
        REQUIRE(*back.LastDrive == header.LastDrive);
        REQUIRE(*back.LastFolder == header.LastFolder);
        REQUIRE(*back.FileCopySetting == header.FileCopySetting);
        REQUIRE(back.Entries == entries);
    }
    // Both paths must really have been taken.
    CHECK(written > 500);
    CHECK(refused > 100);
}

TEST_CASE("a read list grows by its own entries without losing any") {
    // The entries of a read list lie in the file's bytes; adding moves them, and an entry
    // taken from the list itself must survive that move.
    ListFileContent read =
        Parse("d,f,1\r\n\"/a, b/\",x.jpg,\"/a, b/x.jpg\",0\r\n/c/,y.jpg,/c/y.jpg,1\r\n");
    KabegamiEntries& list = read.Entries;
    REQUIRE(list.size() == 2);
    const KabegamiEntry first = ToEntry(list[0]);
    for (int i = 0; i < 1000; ++i)
        list.push_back(list[std::size_t(i % 2)]);
    REQUIRE(list.size() == 1002);
    CHECK(list[1000] == first);
    CHECK(list.back() == KabegamiEntryView{"/c/", "y.jpg", "/c/y.jpg", "1"});
    const KabegamiEntries copy = list;
    CHECK(copy == list);
    CHECK(Parse(FormatListFile({"d", "f", "1"}, list)).Entries == list);
}
