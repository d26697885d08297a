// SPDX-License-Identifier: MIT
// A second program on a data folder: exits 1 when another holds the folder, 0 when it
// could take it itself, 2 when it could not tell.
#include "SystemServicesFactory.h"
#include "WideText.h"
#include "Win32.h"

#include <shellapi.h>

int main() {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count != 2)
        return 2;
    try {
        const auto services = velmora::CreateSystemServices();
        return services->PrevInstance(velmora::windows_impl::Narrow(arguments[1])) ? 1 : 0;
    } catch (...) {
        return 2;
    }
}
