// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmora::win32 {

struct FontChoice {
    std::wstring face;
    double points;
    bool bold = false;
    bool underline = false;
    BYTE charset = SHIFTJIS_CHARSET;
};

// The fonts one window made; they go with it.
class WindowFonts {
  public:
    WindowFonts() = default;
    WindowFonts(const WindowFonts&) = delete;
    WindowFonts& operator=(const WindowFonts&) = delete;
    ~WindowFonts();

    // Sets a font of the given points at the screen's DPI on the control.
    void Apply(HWND control, const FontChoice& choice, int dpiY);

  private:
    std::vector<HFONT> fonts_;
};

} // namespace velmora::win32
