// SPDX-License-Identifier: MIT
#include "AboutWindow.h"

#include "Layout.h"
#include "PlatformError.h"
#include "SystemServices.h"
#include "WicBitmap.h"
#include "WideText.h"
#include "WindowLayouts.h"
#include "resource.h"

namespace velmora::win32 {

namespace {

constexpr COLORREF kPurple = RGB(128, 0, 128);
constexpr COLORREF kDarkBlue = RGB(0, 0, 192);
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

COLORREF TextColourOf(int id) {
    switch (id) {
    case IDC_VER_LABEL4:
    case IDC_VER_LABEL5:
        return kPurple;
    case IDC_VER_LABEL1:
        return kDarkBlue;
    case IDC_VER_URL:
    case IDC_VER_MAIL:
        return kLinkBlue;
    default:
        return GetSysColor(COLOR_WINDOWTEXT);
    }
}

} // namespace

AboutWindow::AboutWindow(Web& web) : web_(web) {}

AboutWindow::~AboutWindow() {
    if (picture_ != nullptr)
        DeleteObject(picture_);
}

void AboutWindow::Run(HINSTANCE instance, HWND registrationWindow) {
    instance_ = instance;
    registrationWindow_ = registrationWindow;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), registrationWindow, &AboutWindow::Proc,
                    reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK AboutWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<AboutWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        self->Form_Load();
        // Loaded but not yet shown: the registration window makes way now.
        ShowWindow(self->registrationWindow_, SW_MINIMIZE);
        return TRUE;
    }
    auto* self = reinterpret_cast<AboutWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            PostMessageW(window, WM_NEXTDLGCTL, WPARAM(GetDlgItem(window, IDC_VER_OK)), TRUE);
        return FALSE;
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, TextColourOf(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
        if (id == IDC_VER_URL || id == IDC_VER_MAIL) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_VER_OK:
            EndDialog(window, 0);
            return TRUE;
        case IDC_VER_URL:
            if (HIWORD(wParam) == STN_CLICKED)
                self->Open(WebPageAddress);
            return TRUE;
        case IDC_VER_MAIL:
            if (HIWORD(wParam) == STN_CLICKED)
                self->Open(std::string("mailto:") + MailAddress);
            return TRUE;
        default:
            return TRUE; // Escape is no cancel button here
        }
    case WM_CLOSE:
        EndDialog(window, 0);
        return TRUE;
    case WM_DESTROY:
        ShowWindow(self->registrationWindow_, SW_RESTORE);
        return FALSE;
    default:
        return FALSE;
    }
}

void AboutWindow::Form_Load() {
    const Dpi dpi = ScreenDpi();
    LayOut(window_, kAboutLayout, dpi);
    CentreOnScreen(window_);
    const HICON icon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VELMORA),
                                                     IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    const auto item = [this](int id) { return GetDlgItem(window_, id); };
    fonts_.Apply(item(IDC_VER_LABEL4), {L"ＭＳ ゴシック", 11.25, true}, dpi.y);
    fonts_.Apply(item(IDC_VER_LABEL5), {L"ＭＳ ゴシック", 11.25, true}, dpi.y);
    fonts_.Apply(item(IDC_VER_LABEL1), {L"ＭＳ ゴシック", 18, true}, dpi.y);
    fonts_.Apply(item(IDC_VER_LABEL3), {L"ＭＳ Ｐゴシック", 11.25, true}, dpi.y);
    fonts_.Apply(item(IDC_VER_LABEL2), {L"ＭＳ Ｐゴシック", 12, true}, dpi.y);
    fonts_.Apply(item(IDC_VER_URL), {L"ＭＳ Ｐゴシック", 9, false, true}, dpi.y);
    fonts_.Apply(item(IDC_VER_OK), {L"Times New Roman", 12, true, false, ANSI_CHARSET}, dpi.y);
    SetWindowTextW(item(IDC_VER_URL), windows_impl::Widen(WebPageAddress).c_str());
    SetWindowTextW(item(IDC_VER_MAIL), windows_impl::Widen(MailAddress).c_str());

    // The picture stretched to its box, proportions not kept.
    const HRSRC found = FindResourceW(instance_, MAKEINTRESOURCEW(IDR_ABOUT_JPEG), RT_RCDATA);
    const HGLOBAL loaded = found != nullptr ? LoadResource(instance_, found) : nullptr;
    if (loaded != nullptr) {
        RECT box{};
        GetClientRect(item(IDC_VER_IMAGE1), &box);
        picture_ = DecodeMemory(LockResource(loaded), SizeofResource(instance_, found), box.right,
                                box.bottom);
        SendMessageW(item(IDC_VER_IMAGE1), STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(picture_));
    }
}

void AboutWindow::Open(const std::string& address) {
    try {
        web_.OpenUrl(address);
    } catch (...) {
        // A link that opens nothing says nothing.
    }
}

} // namespace velmora::win32
