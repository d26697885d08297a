// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <span>

namespace velmora::win32 {

// A control's place in twips (1/1440 inch) within its window's client area.
struct TwipsRect {
    int id;
    int left, top, width, height;
};

// The screen's dots per inch, across and down.
struct Dpi {
    int x = 96;
    int y = 96;
};
Dpi ScreenDpi();

// Twips to whole pixels at dpi, rounded to the nearest.
int TwipsToPixels(double twips, int dpi);
double PixelsToTwips(int pixels, int dpi);

// Gives the window a client area of the given twips and moves every listed control to its
// place; the window's outer frame grows with it, its top-left corner stays.
void LayOut(HWND window, int clientWidthTwips, int clientHeightTwips,
            std::span<const TwipsRect> controls, Dpi dpi);

// Widens a one-line label whose font needs more room for its text than its place gives, as
// far as the client area and the controls to its right on the same rows allow.
void FitToText(HWND label);

// Places the window in the middle of the primary screen's work area.
void CentreOnScreen(HWND window);

} // namespace velmora::win32
