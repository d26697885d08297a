// SPDX-License-Identifier: MIT
#pragma once

#include "Fonts.h"

#include <windows.h>

#include <string>

namespace velmora {
class mdlKabegami;
struct KabegamiEntryView;
} // namespace velmora

namespace velmora::win32 {

// The start-up window: "<" and ">" step through the list and apply the picture reached,
// Ctrl+click removes the wallpaper, the hammer opens the registration window.
class ChangerWindow {
  public:
    explicit ChangerWindow(mdlKabegami& module);
    // Shows the window until it is closed. The caller has made sure no other instance runs.
    void Run(HINSTANCE instance);

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ArrowProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void MakePicFolder();
    void RemoveLeftovers();
    void cmgGoPrev_Click();
    void cmdGoNext_Click();
    void cmdTouroku_Click();
    void SetKabegami(const KabegamiEntryView& entry);
    void ClearKabegami();

    mdlKabegami& module_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HBITMAP hammer_ = nullptr;
    HICON icon_ = nullptr;
    WindowFonts fonts_;
    int CurrentIndex = -1;
    std::string CurrentKabegamiFile;
    bool KabegamiChanged = false;
    bool CtrlDown = false;
    bool activatedOnce_ = false;
};

// Moves the window so that its outer bottom-left corner is the work area's.
void PlaceFormOnWorkArea(HWND window);

} // namespace velmora::win32
