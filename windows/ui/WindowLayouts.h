// SPDX-License-Identifier: MIT
#pragma once

#include "Layout.h"
#include "resource.h"

namespace velmora::win32 {

// Each window's client size and its controls' places, in twips.
struct WindowLayout {
    int dialog;
    int clientWidth, clientHeight;
    std::span<const TwipsRect> controls;
};

inline constexpr TwipsRect kChangerControls[] = {
    {IDC_TOUROKU, 720, 0, 375, 375},
    {IDC_GOPREV, 0, 0, 375, 375},
    {IDC_GONEXT, 360, 0, 375, 375},
};
inline constexpr WindowLayout kChangerLayout{IDD_CHANGER, 1080, 360, kChangerControls};

inline constexpr TwipsRect kRegistrationControls[] = {
    {IDC_LABEL1, 120, 120, 1215, 255},       {IDC_DRIVE1, 120, 480, 2295, 300},
    {IDC_DIR1, 120, 840, 2295, 1560},        {IDC_FILE1, 120, 2400, 2295, 1710},
    {IDC_CMDTOUROKU, 120, 4320, 2295, 375},  {IDC_FILECOPY, 120, 4800, 5775, 375},
    {IDC_LABEL2, 2880, 120, 1455, 255},      {IDC_REGISTERED, 2880, 480, 2535, 1500},
    {IDC_ERRMESSAGE, 2880, 2040, 3255, 255}, {IDC_PREVIEW, 3000, 2400, 2295, 2175},
    {IDC_ABOUT, 5520, 1200, 855, 375},       {IDC_DELETE, 5520, 1560, 855, 375},
};
inline constexpr WindowLayout kRegistrationLayout{IDD_TOUROKU, 6465, 5175, kRegistrationControls};

inline constexpr TwipsRect kAboutControls[] = {
    {IDC_VER_LABEL4, 240, 240, 5055, 375},   {IDC_VER_LABEL5, 240, 480, 5055, 375},
    {IDC_VER_IMAGE1, 480, 960, 1395, 795},   {IDC_VER_LABEL1, 2040, 960, 1575, 375},
    {IDC_VER_LABEL3, 3600, 1080, 1215, 255}, {IDC_VER_LABEL2, 2280, 1440, 2535, 255},
    {IDC_VER_URL, 480, 2160, 4695, 255},     {IDC_VER_MAIL, 480, 2400, 2775, 255},
    {IDC_VER_OK, 3960, 2640, 1215, 495},
};
inline constexpr WindowLayout kAboutLayout{IDD_ABOUT, 5430, 3390, kAboutControls};

inline void LayOut(HWND window, const WindowLayout& layout, Dpi dpi) {
    LayOut(window, layout.clientWidth, layout.clientHeight, layout.controls, dpi);
}

} // namespace velmora::win32
