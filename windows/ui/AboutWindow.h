// SPDX-License-Identifier: MIT
#pragma once

#include "Fonts.h"

#include <windows.h>

#include <string>

namespace velmora {
class Web;
}

namespace velmora::win32 {

// The About window: names, version, picture and the two links. While it is open the
// registration window that opened it is minimised.
class AboutWindow {
  public:
    explicit AboutWindow(Web& web);
    ~AboutWindow();
    void Run(HINSTANCE instance, HWND registrationWindow);

    static constexpr const char* WebPageAddress = "https://www.example.com/velmora/";
    static constexpr const char* MailAddress = "velmora@example.com";

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void Open(const std::string& address);

    Web& web_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND registrationWindow_ = nullptr;
    HBITMAP picture_ = nullptr;
    WindowFonts fonts_;
};

} // namespace velmora::win32
