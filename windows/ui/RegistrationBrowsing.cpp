// SPDX-License-Identifier: MIT
// Browsing: drives, folders, picture files and the preview.
#include "RegistrationWindow.h"

#include "Layout.h"
#include "PlatformError.h"
#include "PreviewBox.h"
#include "RegistrationRules.h"
#include "SystemServices.h"
#include "WicBitmap.h"
#include "WideText.h"
#include "mdlKabegami.h"
#include "resource.h"

namespace velmora::win32 {

namespace {

// Listed once per pattern: the Win32 listing calls refuse the three together.
const std::vector<std::string> kPicturePatterns{"*.BMP", "*.JPG", "*.JPEG"};
constexpr int kPreviewLeft = 3000;
constexpr int kPreviewTop = 2400;

void AddRow(HWND list, UINT message, const std::string& text) {
    std::wstring wide;
    try {
        wide = windows_impl::Widen(text);
    } catch (const PlatformError&) {
        wide = L"?";
    }
    SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string RowText(HWND list, int row) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(row), 0);
    if (length < 0)
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(length));
    return windows_impl::Narrow(text);
}

} // namespace

void RegistrationWindow::FillDrives() {
    const HWND combo = GetDlgItem(window_, IDC_DRIVE1);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    driveNames_.clear();
    try {
        for (const DriveInfo& drive : module_.services().ListDrives()) {
            driveNames_.push_back(drive.Name);
            AddRow(combo, CB_ADDSTRING, drive.Name);
        }
        // Before anything is restored the selector shows the drive of the program's folder.
        const std::string shown = module_.services().DriveOf(module_.GetAppPath()).Name;
        for (std::size_t i = 0; i < driveNames_.size(); ++i) {
            if (driveNames_[i] == shown)
                SendMessageW(combo, CB_SETCURSEL, i, 0);
        }
    } catch (const PlatformError&) {
        // No drives to offer: the folder list still works from the remembered folder.
    }
}

void RegistrationWindow::SetDrive(const std::string& name) {
    const HWND combo = GetDlgItem(window_, IDC_DRIVE1);
    const auto shown = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    for (std::size_t i = 0; i < driveNames_.size(); ++i) {
        if (driveNames_[i] != name)
            continue;
        if (shown != LRESULT(i)) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            Drive1_Change();
        }
        return;
    }
    throw PlatformError(Err::DiskNotReady);
}

void RegistrationWindow::Drive1_Change() {
    const auto index = SendDlgItemMessageW(window_, IDC_DRIVE1, CB_GETCURSEL, 0, 0);
    if (index < 0 || std::size_t(index) >= driveNames_.size())
        return;
    const std::string name = driveNames_[std::size_t(index)];
    try {
        SetDirPath(module_.services().DriveByName(name).Root);
    } catch (const PlatformError&) {
        // A drive without its medium: the lists keep the former folder.
    }
    module_.LastDrive = name;
}

void RegistrationWindow::SetDirPath(const std::string& folder) {
    const std::string path = WithoutTrailingSeparator(folder);
    const std::vector<std::string> subfolders = module_.services().ListSubfolders(path);
    const HWND list = GetDlgItem(window_, IDC_DIR1);
    dirRows_ = FolderRows(path, subfolders);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const FolderRow& row : dirRows_)
        AddRow(list, LB_ADDSTRING, row.label);
    SendMessageW(list, LB_SETCURSEL, dirRows_.size() - subfolders.size() - 1, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    const bool changed = path != dirPath_;
    dirPath_ = path;
    if (changed)
        Dir1_Change();
}

void RegistrationWindow::Dir1_Change() {
    try {
        SetFilePath(dirPath_);
    } catch (const PlatformError& error) {
        // The folder went between the two listings: said once, and the window stays usable.
        module_.ShowErrorMessage(error);
    }
    module_.LastFolder = dirPath_;
}

void RegistrationWindow::SetFilePath(const std::string& folder) {
    const std::vector<std::string> files =
        module_.services().ListFiles(WithoutTrailingSeparator(folder), kPicturePatterns);
    const HWND list = GetDlgItem(window_, IDC_FILE1);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : files)
        AddRow(list, LB_ADDSTRING, name);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    filePath_ = WithoutTrailingSeparator(folder);
}

void RegistrationWindow::File1_Click() {
    const HWND list = GetDlgItem(window_, IDC_FILE1);
    const auto row = SendMessageW(list, LB_GETCARETINDEX, 0, 0);
    if (row < 0 || row >= SendMessageW(list, LB_GETCOUNT, 0, 0))
        return;
    ShowPreview(WithSeparator(dirPath_) + RowText(list, int(row)));
}

void RegistrationWindow::lstTourokuFileList_Click() {
    const HWND list = GetDlgItem(window_, IDC_REGISTERED);
    const auto row = SendMessageW(list, LB_GETCARETINDEX, 0, 0);
    if (row < 0 || std::size_t(row) >= module_.KabegamiList.size() ||
        row >= SendMessageW(list, LB_GETCOUNT, 0, 0))
        return;
    ShowPreview(std::string(module_.KabegamiList[std::size_t(row)].KabegamiPath));
}

void RegistrationWindow::PlacePreview(float widthTwips, float heightTwips) {
    const int left = TwipsToPixels(kPreviewLeft, dpiX_);
    const int top = TwipsToPixels(kPreviewTop, dpiY_);
    SetWindowPos(GetDlgItem(window_, IDC_PREVIEW), nullptr, left, top,
                 TwipsToPixels(kPreviewLeft + widthTwips, dpiX_) - left,
                 TwipsToPixels(kPreviewTop + heightTwips, dpiY_) - top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void RegistrationWindow::ShowPreview(const std::string& path) {
    const HWND box = GetDlgItem(window_, IDC_PREVIEW);
    try {
        SetLabelCaption("");
        ShowWindow(box, SW_HIDE);
        PlacePreview(kPreviewSquare, kPreviewSquare);
        const PictureInfo picture = module_.services().LoadPicture(path);
        if (picture.Width <= 0 || picture.Height <= 0)
            throw PlatformError(Err::InvalidPicture);
        const PreviewSize fitted = FitPreview(float(PixelsToTwips(picture.Width, dpiX_)),
                                              float(PixelsToTwips(picture.Height, dpiY_)));
        PlacePreview(fitted.width, fitted.height);
        RECT size{};
        GetClientRect(box, &size);
        HBITMAP bitmap = DecodeFile(windows_impl::Widen(path), size.right, size.bottom);
        if (bitmap == nullptr)
            throw PlatformError(Err::InvalidPicture);
        ClearPreviewPicture();
        preview_ = bitmap;
        SendMessageW(box, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(preview_));
        PlacePreview(fitted.width, fitted.height); // the control sized itself to the bitmap
        ShowWindow(box, SW_SHOW);
    } catch (const PlatformError& error) {
        switch (error.Number) {
        case Err::FileNotFound:
            break;
        case Err::DiskNotReady:
            SetLabelCaption("ディスクをセットしてください");
            break;
        case Err::PathNotFound:
            SetLabelCaption("正しいディスクをセットしてください");
            break;
        default:
            module_.ShowErrorMessage(error);
            break;
        }
    }
}

void RegistrationWindow::ClearPreviewPicture() {
    SendDlgItemMessageW(window_, IDC_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP, 0);
    if (preview_ != nullptr)
        DeleteObject(preview_);
    preview_ = nullptr;
}

} // namespace velmora::win32
