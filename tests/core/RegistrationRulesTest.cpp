// SPDX-License-Identifier: MIT
// The registration rules: case folding, the duplicate and name tests, the messages, the
// preview box and the removal's bookkeeping.
#include "RegistrationRules.h"
#include "CoreTest.h"
#include "PreviewBox.h"

#include <cmath>

using namespace velmora;

namespace {
KabegamiEntry Entry(const std::string& folder, const std::string& name) {
    return {folder, name, folder + name, "0"};
}
} // namespace

TEST_CASE("ASCII and full-width Latin letters fold, nothing else") {
    const std::string f = "/f/";
    const auto same = [&](const std::string& registered, const std::string& chosen) {
        return FindConflict({Entry(f, registered)}, f, chosen, false) ==
               Conflict::AlreadyRegistered;
    };
    CHECK(same("ABC.JPG", "abc.jpg"));
    CHECK(same("ＡＺ", "ａｚ"));
    CHECK(same("ｐｈｏｔｏ.jpg", "ＰＨＯＴＯ.JPG"));
    // Full-width and ASCII letters stay different letters.
    CHECK_FALSE(same("Ａ", "A"));
    // Kana, kanji, digits and letters of other scripts are compared as they are.
    CHECK(same("壁紙ｶﾅ１２_{}", "壁紙ｶﾅ１２_{}"));
    CHECK_FALSE(same("ß", "SS"));
    CHECK_FALSE(same("α", "Α"));
    CHECK_FALSE(same("я", "Я"));
    // Letters next to the folded ranges are not moved into them.
    CHECK_FALSE(same("@[`{", "`{@["));
    CHECK_FALSE(same("＠［｀｛", "｀｛＠［"));
    CHECK_FALSE(same("abc", "abcd"));
    // Bytes that are no UTF-8 are compared as bytes.
    CHECK_FALSE(same("\xEF\x3C\x21", "\xEF\xBC\xA1"));
}

TEST_CASE("the first conflicting entry decides") {
    const std::string pics = "/c/pics/";
    const std::string cd = "/cd/";
    struct Case {
        const char* what;
        KabegamiEntries list;
        std::string folder;
        std::string name;
        bool nameTest;
        Conflict expected;
    };
    const Case cases[] = {
        {"empty list", {}, pics, "a.jpg", true, Conflict::None},
        {"same place, other case",
         {Entry("/C/PICS/", "A.JPG")},
         pics,
         "a.jpg",
         false,
         Conflict::AlreadyRegistered},
        {"full-width letters fold",
         {Entry(pics, "ＰＨＯＴＯ.JPG")},
         pics,
         "ｐｈｏｔｏ.jpg",
         false,
         Conflict::AlreadyRegistered},
        {"same name elsewhere, no copy",
         {Entry("/c/other/", "A.JPG")},
         pics,
         "a.jpg",
         false,
         Conflict::None},
        {"same name elsewhere, copying",
         {Entry("/c/other/", "A.JPG")},
         cd,
         "a.jpg",
         true,
         Conflict::NameTaken},
        {"name met first wins",
         {Entry("/c/other/", "a.jpg"), Entry(cd, "a.jpg")},
         cd,
         "a.jpg",
         true,
         Conflict::NameTaken},
        {"duplicate met first wins",
         {Entry(cd, "a.jpg"), Entry("/c/other/", "a.jpg")},
         cd,
         "a.jpg",
         true,
         Conflict::AlreadyRegistered},
        // Folder and name are compared joined, as the list has always done.
        {"joined text decides",
         {Entry("/c/pi", "cs/a.jpg")},
         pics,
         "a.jpg",
         false,
         Conflict::AlreadyRegistered},
        {"other scripts keep their case",
         {Entry(pics, "Ä.jpg")},
         pics,
         "ä.jpg",
         false,
         Conflict::None},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        CHECK(FindConflict(c.list, c.folder, c.name, c.nameTest) == c.expected);
    }
}

TEST_CASE("messages join the name and the phrase") {
    CHECK(AlreadyRegisteredMessage("A.JPG") == "A.JPGは既に登録されています");
    CHECK(NameTakenMessage("A.JPG") == "A.JPGが登録済みリストに存在するためコピーできません");
    CHECK(NotStorableMessage("x\".jpg").starts_with("x\".jpgは"));
    CHECK(RegisteringProgress(3, 12) == "登録中 3 / 12");
}

// A refusal names what cannot be stored: a folder is not blamed on the file name.
TEST_CASE("the part that cannot be stored is named") {
    const std::string odd = "/m/\"a,b\"/";
    CHECK(UnstorableName(odd, "x.jpg", odd + "x.jpg") == odd);
    CHECK(UnstorableName("/m/", "\"a,b\".jpg", "/m/\"a,b\".jpg") == "\"a,b\".jpg");
    const std::string lost = "/m/\xEF\xBF\xBD/"; // a name that was no text on its disk
    CHECK(UnstorableName(lost, "x.jpg", lost + "x.jpg") == lost);
    // Each part storable, their join not: the whole path is named.
    CHECK(UnstorableName("/m,n/", "x\".jpg", "/m,n/x\".jpg") == "/m,n/x\".jpg");
    CHECK(UnstorableName("/m/", "x.jpg", "/m/x.jpg").empty());
}

TEST_CASE("the preview fits into its square") {
    // Natural sizes in twips (15 per pixel) and the box they get.
    const float cases[][4] = {
        {9600.0f, 7200.0f, 2175.0f, 1631.25f}, // 640x480
        {7200.0f, 9600.0f, 1631.25f, 2175.0f}, // 480x640
        {1500.0f, 1500.0f, 2175.0f, 2175.0f},  // 100x100
        {30000.0f, 15.0f, 2175.0f, 1.0875f},   // a wide strip
        {15.0f, 45.0f, 725.0f, 2175.0f},       // tiny and tall
    };
    for (const auto& c : cases) {
        const PreviewSize box = FitPreview(c[0], c[1]);
        CHECK(std::abs(box.width - c[2]) < 0.01f);
        CHECK(std::abs(box.height - c[3]) < 0.01f);
    }
}

TEST_CASE("removing the selected rows keeps the order") {
    const KabegamiEntries list{Entry("/a/", "1"), Entry("/a/", "2"), Entry("/a/", "3")};
    CHECK(WithoutSelected(list, {false, true, false}) == KabegamiEntries{list[0], list[2]});
    CHECK(WithoutSelected(list, {true, true, true}).empty());
    CHECK(WithoutSelected(list, {false, false, false}) == list);
    CHECK(WithoutSelected({}, {}).empty());
}

TEST_CASE("a path lies inside a folder, or not") {
    // Written with "/", used with the platform's own separator.
    const auto p = [](const std::string& path) {
        std::string native;
        for (const char c : path)
            native += c == '/' ? std::string(PathSeparator()) : std::string(1, c);
        return native;
    };
    CHECK(LiesInside(p("/app/Pic/a.jpg"), p("/app/Pic")));
    CHECK(LiesInside(p("/app/Pic/sub/a.jpg"), p("/app/Pic/")));
    CHECK_FALSE(LiesInside(p("/app/Pic"), p("/app/Pic")));
    CHECK_FALSE(LiesInside(p("/app/Pic/"), p("/app/Pic")));
    CHECK_FALSE(LiesInside(p("/app/Pictures/a.jpg"), p("/app/Pic")));
    CHECK_FALSE(LiesInside(p("/etc/passwd"), p("/app/Pic")));
    CHECK_FALSE(LiesInside(p("/etc/passwd"), ""));
}
