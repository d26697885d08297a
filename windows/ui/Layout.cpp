// SPDX-License-Identifier: MIT
#include "Layout.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace velmora::win32 {

Dpi ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const Dpi dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return dpi;
}

int TwipsToPixels(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

double PixelsToTwips(int pixels, int dpi) {
    return pixels * 1440.0 / dpi;
}

void LayOut(HWND window, int clientWidthTwips, int clientHeightTwips,
            std::span<const TwipsRect> controls, Dpi dpi) {
    RECT outer{0, 0, TwipsToPixels(clientWidthTwips, dpi.x),
               TwipsToPixels(clientHeightTwips, dpi.y)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&outer, style, GetMenu(window) != nullptr, exStyle);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const TwipsRect& place : controls) {
        // Left and top first, so that neighbours that overlap by a pixel keep doing so.
        const int left = TwipsToPixels(place.left, dpi.x);
        const int top = TwipsToPixels(place.top, dpi.y);
        const int right = TwipsToPixels(place.left + place.width, dpi.x);
        const int bottom = TwipsToPixels(place.top + place.height, dpi.y);
        SetWindowPos(GetDlgItem(window, place.id), nullptr, left, top, right - left, bottom - top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {

RECT PlaceInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

void FitToText(HWND label) {
    std::wstring text(std::size_t(GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(label, text.data(), int(text.size()))));
    const HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    const BOOL measured = GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    const RECT place = PlaceInParent(label);
    if (!measured || place.left + size.cx <= place.right)
        return;
    // The design's place is kept where the font needs no more; beyond it, the label takes only
    // room that nothing else uses.
    const HWND window = GetParent(label);
    RECT client{};
    GetClientRect(window, &client);
    LONG limit = client.right;
    for (HWND other = GetWindow(window, GW_CHILD); other != nullptr;
         other = GetWindow(other, GW_HWNDNEXT)) {
        const RECT rect = PlaceInParent(other);
        if (other != label && rect.top < place.bottom && rect.bottom > place.top &&
            rect.left >= place.left)
            limit = std::min(limit, rect.left);
    }
    const LONG right = std::max(place.right, std::min(place.left + size.cx, limit));
    SetWindowPos(label, nullptr, 0, 0, right - place.left, place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnScreen(HWND window) {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace velmora::win32
