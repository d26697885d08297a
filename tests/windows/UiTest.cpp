// SPDX-License-Identifier: MIT
// The windows' layout and folder rows, with the program's own dialog resources.
#include "FolderRows.h"
#include "RegistrationWindow.h"
#include "TestFolder.h"
#include "WicBitmap.h"
#include "WideText.h"
#include "WindowLayouts.h"

#include <doctest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

using namespace velmora::win32;

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

BOOL CALLBACK CollectId(HWND child, LPARAM ids) {
    reinterpret_cast<std::set<int>*>(ids)->insert(GetDlgCtrlID(child));
    return TRUE;
}

RECT ClientRectOf(HWND dialog, int id) {
    RECT rect{};
    const HWND control = GetDlgItem(dialog, id);
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND OpenDialog(int id) {
    const HWND dialog =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, Quiet, 0);
    REQUIRE_MESSAGE(dialog != nullptr, "error " << GetLastError());
    return dialog;
}

void CheckLayout(const WindowLayout& layout, Dpi dpi) {
    const HWND dialog = OpenDialog(layout.dialog);
    std::set<int> inTemplate;
    EnumChildWindows(dialog, CollectId, reinterpret_cast<LPARAM>(&inTemplate));
    std::set<int> placed;
    for (const TwipsRect& place : layout.controls)
        placed.insert(place.id);
    // A control added to the resource but not to the table would keep its dialog units.
    CHECK(inTemplate == placed);

    LayOut(dialog, layout, dpi);
    RECT client{};
    GetClientRect(dialog, &client);
    CHECK(client.right == TwipsToPixels(layout.clientWidth, dpi.x));
    CHECK(client.bottom == TwipsToPixels(layout.clientHeight, dpi.y));
    for (const TwipsRect& place : layout.controls) {
        CAPTURE(place.id);
        const RECT rect = ClientRectOf(dialog, place.id);
        CHECK(rect.left == TwipsToPixels(place.left, dpi.x));
        CHECK(rect.top == TwipsToPixels(place.top, dpi.y));
        CHECK(rect.right == TwipsToPixels(place.left + place.width, dpi.x));
        if (place.id != IDC_DRIVE1) // a drop-down list's height is its own
            CHECK(rect.bottom == TwipsToPixels(place.top + place.height, dpi.y));
    }
    DestroyWindow(dialog);
}

// Whether a label shows all its text on its one line, wrapped as a static control wraps it.
bool ShowsWholeText(HWND label) {
    std::wstring text(std::size_t(GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(label, text.data(), int(text.size()))));
    RECT box{};
    GetClientRect(label, &box);
    RECT needed = box;
    const HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(label, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return needed.right <= box.right && needed.bottom - needed.top <= metrics.tmHeight &&
           metrics.tmHeight <= box.bottom;
}

struct Pixel {
    int red, green, blue;
};

// A pixel of a decoded bitmap as a window drawing it shows it, from the top-left corner.
Pixel PixelAt(HBITMAP bitmap, int x, int y) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

std::string SamplePath() {
    return velmora::test::TestProgramFolder() + "\\sample.jpg";
}

// The sample picture is red in its upper half and blue in its lower half.
void CheckRedOverBlue(HBITMAP bitmap) {
    REQUIRE(bitmap != nullptr);
    const Pixel top = PixelAt(bitmap, 3, 0);
    const Pixel bottom = PixelAt(bitmap, 3, 5);
    CHECK(top.red > 200);
    CHECK(top.blue < 60);
    CHECK(bottom.blue > 200);
    CHECK(bottom.red < 60);
    DeleteObject(bitmap);
}

} // namespace

TEST_SUITE("ui") {
    TEST_CASE("previews keep the picture's top at the top and its colours in their places") {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CheckRedOverBlue(DecodeFile(velmora::windows_impl::Widen(SamplePath()), 8, 6));
        std::ifstream file(SamplePath(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        REQUIRE(!bytes.empty());
        CheckRedOverBlue(DecodeMemory(bytes.data(), DWORD(bytes.size()), 8, 6));
        // Not a picture: no bitmap, and the caller reports it.
        CHECK(DecodeMemory("not a picture", 13, 8, 6) == nullptr);
        CoUninitialize();
    }

    TEST_CASE("every control of every window is placed at its twips, at 96 and 144 dpi") {
        for (const Dpi dpi : {Dpi{96, 96}, Dpi{144, 144}}) {
            CAPTURE(dpi.x);
            CheckLayout(kChangerLayout, dpi);
            CheckLayout(kRegistrationLayout, dpi);
            CheckLayout(kAboutLayout, dpi);
        }
    }

    TEST_CASE("the registration window's bold captions show their whole text, clear of the "
              "other controls, at 96 and 144 dpi") {
        for (const Dpi dpi : {Dpi{96, 96}, Dpi{144, 144}}) {
            CAPTURE(dpi.x);
            const HWND dialog = OpenDialog(IDD_TOUROKU);
            LayOut(dialog, kRegistrationLayout, dpi);
            WindowFonts fonts;
            SetCaptionFonts(dialog, fonts, dpi);
            RECT client{};
            GetClientRect(dialog, &client);
            for (const int caption : {IDC_LABEL1, IDC_LABEL2}) {
                CAPTURE(caption);
                CHECK(ShowsWholeText(GetDlgItem(dialog, caption)));
                const RECT rect = ClientRectOf(dialog, caption);
                CHECK(rect.right <= client.right);
                for (const TwipsRect& other : kRegistrationControls) {
                    RECT overlap{};
                    const RECT otherRect = ClientRectOf(dialog, other.id);
                    if (other.id != caption)
                        CHECK_FALSE(IntersectRect(&overlap, &rect, &otherRect));
                }
            }
            DestroyWindow(dialog);
        }
    }

    TEST_CASE("the changer's arrow buttons overlap by one pixel at 96 dpi") {
        CHECK(TwipsToPixels(360, 96) == 24);
        CHECK(TwipsToPixels(360 + 375, 96) - TwipsToPixels(360, 96) == 25);
    }

    TEST_CASE("folder rows: the open folders from the root down, then the subfolders") {
        const auto rows = FolderRows("C:\\Pictures\\2024\\", {"a", "b"});
        REQUIRE(rows.size() == 5);
        CHECK(rows[0].folder == "C:\\");
        CHECK(rows[1].folder == "C:\\Pictures");
        CHECK(rows[2].folder == "C:\\Pictures\\2024");
        CHECK(rows[3].folder == "C:\\Pictures\\2024\\a");
        CHECK(rows[4].folder == "C:\\Pictures\\2024\\b");
        CHECK(rows[0].label == "C:\\");
        CHECK(rows[2].label == "    2024");
        CHECK(rows[4].label == "      b");
    }

    TEST_CASE("folder rows at a root and on a network share") {
        const auto root = FolderRows("D:\\", {"x"});
        REQUIRE(root.size() == 2);
        CHECK(root[0].folder == "D:\\");
        CHECK(root[1].folder == "D:\\x");
        const auto share = FolderRows("\\\\server\\share\\dir", {});
        REQUIRE(share.size() == 2);
        CHECK(share[0].folder == "\\\\server\\share\\");
        CHECK(share[1].folder == "\\\\server\\share\\dir");
        CHECK(WithoutTrailingSeparator("C:\\") == "C:\\");
        CHECK(WithoutTrailingSeparator("C:\\a\\") == "C:\\a");
    }
}
