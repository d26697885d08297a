// SPDX-License-Identifier: MIT
// The Windows edition: one changer window per data folder.
#include "ChangerWindow.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "SystemServicesFactory.h"
#include "mdlKabegami.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Twips become pixels at the screen's real DPI, not at a scaled 96.
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // WIC, for the previews and the About picture.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    std::unique_ptr<velmora::SystemServices> services = velmora::CreateSystemServices();
    velmora::win32::MessageBoxes messages;
    velmora::mdlKabegami module(*services, messages);
    try {
        const std::string folder = services->AppFolder();
        if (services->PrevInstance(folder))
            return 0; // another run keeps this folder: end silently
    } catch (const velmora::PlatformError& error) {
        // Two runs on one list could each overwrite the other's registrations.
        module.ShowErrorMessage(error);
        return 1;
    }
    velmora::win32::ChangerWindow window(module);
    window.Run(instance);
    CoUninitialize();
    return 0;
}
