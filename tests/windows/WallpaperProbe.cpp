// SPDX-License-Identifier: MIT
// Prints the desktop wallpaper as this session has it, in UTF-8, for the end-to-end test.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    wchar_t path[MAX_PATH + 1] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH + 1, path, 0))
        return 2;
    const int size = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    std::string text(std::size_t(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path, -1, text.data(), size, nullptr, nullptr);
    std::fputs(text.c_str(), stdout);
    return 0;
}
