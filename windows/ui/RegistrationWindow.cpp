// SPDX-License-Identifier: MIT
#include "RegistrationWindow.h"

#include "Layout.h"
#include "PlatformError.h"
#include "SystemServices.h"
#include "WideText.h"
#include "WindowLayouts.h"
#include "mdlKabegami.h"
#include "resource.h"

namespace velmora::win32 {

namespace {

// A drop-down list's height is that of its open list: the closed selector gets the height
// laid out, the open list room for several drives below it.
void FitDropDown(HWND combo) {
    RECT laid{};
    GetWindowRect(combo, &laid);
    const int height = laid.bottom - laid.top;
    const int frame = 6; // the selector's edge around its text
    if (height > frame)
        SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), height - frame);
    SetWindowPos(combo, nullptr, 0, 0, laid.right - laid.left, height * 8,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void SetCaptionFonts(HWND window, WindowFonts& fonts, Dpi dpi) {
    for (int id : {IDC_LABEL1, IDC_LABEL2}) {
        const HWND caption = GetDlgItem(window, id);
        fonts.Apply(caption, {L"ＭＳ Ｐゴシック", 11.25, true}, dpi.y);
        // The Japanese fonts at hand may be wider than the one the captions were sized for.
        FitToText(caption);
    }
}

RegistrationWindow::RegistrationWindow(mdlKabegami& module) : module_(module), registrar_(module) {}

RegistrationWindow::~RegistrationWindow() {
    if (preview_ != nullptr)
        DeleteObject(preview_);
}

void RegistrationWindow::Run(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TOUROKU), owner, &RegistrationWindow::Proc,
                    reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK RegistrationWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<RegistrationWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        self->Form_Load();
        return TRUE;
    }
    auto* self = reinterpret_cast<RegistrationWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return self->Command(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_VKEYTOITEM:
        // The lists ask about every key: unanswered (0) would put the caret on the first row.
        // Each key gets the list's own handling.
        return -1;
    case WM_CLOSE:
        if (!self->registering_)
            EndDialog(window, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

bool RegistrationWindow::Command(WORD id, WORD code) {
    switch (id) {
    case IDOK: {
        // Enter outside a button: the list that has the focus decides.
        const HWND focus = GetFocus();
        if (focus == GetDlgItem(window_, IDC_FILE1))
            cmdTouroku_Click();
        else if (focus == GetDlgItem(window_, IDC_REGISTERED))
            cmdDelete_Click();
        else if (focus == GetDlgItem(window_, IDC_DIR1))
            Command(IDC_DIR1, LBN_DBLCLK);
        return true;
    }
    case IDCANCEL:
        return true; // no cancel button: Escape closes nothing
    case IDC_DRIVE1:
        if (code == CBN_SELCHANGE)
            Drive1_Change();
        return true;
    case IDC_DIR1:
        if (code == LBN_DBLCLK) {
            const auto row = SendDlgItemMessageW(window_, IDC_DIR1, LB_GETCURSEL, 0, 0);
            if (row >= 0 && std::size_t(row) < dirRows_.size()) {
                try {
                    SetDirPath(dirRows_[std::size_t(row)].folder);
                } catch (const PlatformError& error) {
                    module_.ShowErrorMessage(error);
                }
            }
        }
        return true;
    case IDC_FILE1:
        if (code == LBN_SELCHANGE)
            File1_Click();
        return true;
    case IDC_REGISTERED:
        if (code == LBN_SELCHANGE)
            lstTourokuFileList_Click();
        return true;
    case IDC_FILECOPY:
        if (code == BN_CLICKED) {
            const auto value = SendDlgItemMessageW(window_, IDC_FILECOPY, BM_GETCHECK, 0, 0);
            module_.FileCopySetting = std::to_string(value);
        }
        return true;
    case IDC_CMDTOUROKU:
        cmdTouroku_Click();
        return true;
    case IDC_DELETE:
        cmdDelete_Click();
        return true;
    case IDC_ABOUT:
        cmdAbout_Click();
        return true;
    default:
        return false;
    }
}

void RegistrationWindow::Form_Load() {
    const HICON icon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VELMORA),
                                                     IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    const Dpi dpi = ScreenDpi();
    dpiX_ = dpi.x;
    dpiY_ = dpi.y;
    LayOut(window_, kRegistrationLayout, dpi);
    FitDropDown(GetDlgItem(window_, IDC_DRIVE1));
    SetCaptionFonts(window_, fonts_, dpi);
    CentreOnScreen(window_);

    module_.LoadKabegamiList();
    FillTourokuFileList();
    SetLabelCaption("");
    FillDrives();
    // Each restored setting on its own: one that fails leaves the next one to run.
    try {
        SetDirPath(module_.LastFolder);
    } catch (const PlatformError&) {
    }
    try {
        SetFilePath(module_.LastFolder);
    } catch (const PlatformError&) {
    }
    try {
        SetDrive(module_.LastDrive);
    } catch (const PlatformError&) {
    }
    int copy = 0;
    try {
        copy = std::stoi(module_.FileCopySetting);
    } catch (const std::exception&) {
        copy = -1; // not a number: the box keeps its initial state
    }
    if (copy >= 0 && copy <= 2) {
        SendDlgItemMessageW(window_, IDC_FILECOPY, BM_SETCHECK, WPARAM(copy), 0);
        module_.FileCopySetting = std::to_string(copy);
    }
}

void RegistrationWindow::SetLabelCaption(const std::string& text) {
    const HWND label = GetDlgItem(window_, IDC_ERRMESSAGE);
    std::wstring wide;
    try {
        wide = windows_impl::Widen(text);
    } catch (const PlatformError&) {
    }
    SetWindowTextW(label, wide.c_str());
    UpdateWindow(label);
}

} // namespace velmora::win32
