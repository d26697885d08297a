// SPDX-License-Identifier: MIT
#include "Fonts.h"

#include <cmath>

namespace velmora::win32 {

WindowFonts::~WindowFonts() {
    for (HFONT font : fonts_)
        DeleteObject(font);
}

void WindowFonts::Apply(HWND control, const FontChoice& choice, int dpiY) {
    // Negative: the character height, as points are meant, not the cell height.
    const int height = -static_cast<int>(std::lround(choice.points * dpiY / 72.0));
    HFONT font = CreateFontW(height, 0, 0, 0, choice.bold ? FW_BOLD : FW_NORMAL, FALSE,
                             choice.underline ? TRUE : FALSE, FALSE, choice.charset,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, choice.face.c_str());
    if (font == nullptr)
        return; // the dialog's own font stays
    fonts_.push_back(font);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

} // namespace velmora::win32
