// SPDX-License-Identifier: MIT
#include "ChangerWindow.h"

#include "Layout.h"
#include "PlatformError.h"
#include "RegistrationWindow.h"
#include "Stepping.h"
#include "SystemServices.h"
#include "WindowLayouts.h"
#include "mdlKabegami.h"
#include "resource.h"

#include <commctrl.h>

namespace velmora::win32 {

namespace {

constexpr const char* kBitmapName = "Mosswick壁紙.BMP";
constexpr const char* kPicFolder = "Pic";

bool CtrlAlone(WPARAM mouseKeys) {
    return (mouseKeys & MK_CONTROL) != 0 && (mouseKeys & MK_SHIFT) == 0 &&
           GetKeyState(VK_MENU) >= 0;
}

bool CtrlAloneOnKeyboard() {
    return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
}

} // namespace

void PlaceFormOnWorkArea(HWND window) {
    RECT area{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) != 1)
        return;
    RECT frame{};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, area.left, area.bottom - (frame.bottom - frame.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ChangerWindow::ChangerWindow(mdlKabegami& module) : module_(module) {}

void ChangerWindow::Run(HINSTANCE instance) {
    instance_ = instance;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CHANGER), nullptr, &ChangerWindow::Proc,
                    reinterpret_cast<LPARAM>(this));
    if (hammer_ != nullptr)
        DeleteObject(hammer_);
}

INT_PTR CALLBACK ChangerWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ChangerWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        self->Form_Load();
        return TRUE;
    }
    auto* self = reinterpret_cast<ChangerWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    switch (message) {
    case WM_ACTIVATE:
        // Only the first activation and the return from the registration window reload:
        // coming back from another program does not.
        if (LOWORD(wParam) != WA_INACTIVE && !self->activatedOnce_) {
            self->activatedOnce_ = true;
            self->Form_Activate();
        }
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_GOPREV:
            self->cmgGoPrev_Click();
            return TRUE;
        case IDC_GONEXT:
            self->cmdGoNext_Click();
            return TRUE;
        case IDC_TOUROKU:
            self->cmdTouroku_Click();
            return TRUE;
        default:
            return TRUE; // Escape and Enter close nothing
        }
    case WM_CLOSE:
        self->Form_Unload();
        EndDialog(window, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK ChangerWindow::ArrowProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR selfPointer) {
    auto* self = reinterpret_cast<ChangerWindow*>(selfPointer);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        self->CtrlDown = CtrlAlone(wParam);
        break;
    case WM_KEYDOWN:
        // Ctrl with the space bar is the keyboard's Ctrl+click.
        if (wParam == VK_SPACE)
            self->CtrlDown = CtrlAloneOnKeyboard();
        break;
    case WM_LBUTTONUP:
    case WM_KEYUP: {
        // The click is sent from inside the release: it must still see its own press.
        const LRESULT result = DefSubclassProc(button, message, wParam, lParam);
        self->CtrlDown = false;
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

void ChangerWindow::Form_Load() {
    icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON, 0,
                                          0, LR_DEFAULTSIZE | LR_SHARED));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    const Dpi dpi = ScreenDpi();
    LayOut(window_, kChangerLayout, dpi);
    hammer_ =
        static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_HAMMER), IMAGE_BITMAP,
                                        TwipsToPixels(360, dpi.x), TwipsToPixels(360, dpi.y), 0));
    SendDlgItemMessageW(window_, IDC_TOUROKU, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(hammer_));
    for (int id : {IDC_GOPREV, IDC_GONEXT}) {
        fonts_.Apply(GetDlgItem(window_, id), {L"ＭＳ Ｐゴシック", 9.75, true}, dpi.y);
        SetWindowSubclass(GetDlgItem(window_, id), &ChangerWindow::ArrowProc, 1,
                          reinterpret_cast<DWORD_PTR>(this));
    }

    module_.AppPath = module_.GetAppPath();
    CurrentIndex = -1;
    CurrentKabegamiFile.clear();
    PlaceFormOnWorkArea(window_);
    MakePicFolder();
    KabegamiChanged = false;
    try {
        module_.LastDrive = module_.services().DriveOf(module_.GetAppPath()).Name;
    } catch (const PlatformError&) {
        // No volume listed for it: browsing starts without a remembered drive.
    }
    module_.LastFolder = module_.GetAppPath();
    module_.FileCopySetting = "1";
    RemoveLeftovers();
}

void ChangerWindow::RemoveLeftovers() {
    // Only one instance runs from here on, so what a killed run left half-written is stale.
    try {
        module_.services().RemoveTemporaryFiles(module_.AppPath);
    } catch (const PlatformError&) {
    }
    try {
        module_.services().RemoveTemporaryFiles(module_.AppPath + kPicFolder);
    } catch (const PlatformError& error) {
        module_.ShowErrorMessage(error);
    }
}

void ChangerWindow::MakePicFolder() {
    try {
        module_.services().MkDir(module_.GetAppPath() + kPicFolder + "\\");
    } catch (const PlatformError& error) {
        if (error.Number != Err::PathFileAccess)
            module_.ShowErrorMessage(error);
    }
}

void ChangerWindow::Form_Activate() {
    module_.LoadKabegamiList();
}

void ChangerWindow::cmgGoPrev_Click() {
    if (CtrlDown) {
        ClearKabegami();
        return;
    }
    const int u = module_.UBound();
    if (u == -1)
        return;
    CurrentIndex = PrevIndex(CurrentIndex, u);
    SetKabegami(module_.KabegamiList[CurrentIndex]);
}

void ChangerWindow::cmdGoNext_Click() {
    if (CtrlDown) {
        ClearKabegami();
        return;
    }
    const int u = module_.UBound();
    if (u == -1)
        return;
    CurrentIndex = NextIndex(CurrentIndex, u);
    SetKabegami(module_.KabegamiList[CurrentIndex]);
}

void ChangerWindow::cmdTouroku_Click() {
    RegistrationWindow touroku(module_);
    touroku.Run(instance_, window_);
    Form_Activate();
}

void ChangerWindow::SetKabegami(const KabegamiEntryView& entry) {
    const std::string bitmap = module_.AppPath + kBitmapName;
    try {
        const PictureInfo imgDummy =
            module_.services().LoadPicture(std::string(entry.KabegamiPath));
        module_.services().SavePicture(imgDummy, bitmap);
        CurrentKabegamiFile = bitmap;
        module_.services().SetDeskWallpaper(CurrentKabegamiFile, WallpaperFlags::SessionOnly);
        KabegamiChanged = true;
    } catch (const PlatformError& error) {
        // A medium taken out or a picture moved away is no surprise to the user.
        if (error.Number != Err::FileNotFound && error.Number != Err::DiskNotReady &&
            error.Number != Err::PathNotFound)
            module_.ShowErrorMessage(error);
    }
}

void ChangerWindow::ClearKabegami() {
    try {
        CurrentKabegamiFile.clear();
        module_.services().SetDeskWallpaper(CurrentKabegamiFile, WallpaperFlags::SessionOnly);
        KabegamiChanged = true;
    } catch (const PlatformError& error) {
        module_.ShowErrorMessage(error);
    }
}

void ChangerWindow::Form_Unload() {
    if (!KabegamiChanged)
        return;
    try {
        module_.services().SetDeskWallpaper(CurrentKabegamiFile, WallpaperFlags::Store);
    } catch (...) {
        // Closing never fails and never speaks.
    }
}

} // namespace velmora::win32
