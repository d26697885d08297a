// SPDX-License-Identifier: MIT
// Registering and removing: the Registrar does the work, the window shows what came of it.
#include "RegistrationWindow.h"

#include "AboutWindow.h"
#include "RegistrationRules.h"
#include "SystemServices.h"
#include "WideText.h"
#include "mdlKabegami.h"
#include "resource.h"

namespace velmora::win32 {

namespace {

constexpr const char* kConfirmText = "選択されたファイルを登録済みリストから削除しますか？";
constexpr const char* kConfirmTitle = "登録削除確認";

std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        if (SendMessageW(list, LB_GETSEL, WPARAM(i), 0) > 0)
            rows.push_back(i);
    }
    return rows;
}

std::string RowText(HWND list, int row) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(row), 0);
    std::wstring text(std::size_t(length < 0 ? 0 : length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(length < 0 ? 0 : length));
    return windows_impl::Narrow(text);
}

std::wstring WindowText(HWND window) {
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

} // namespace

void RegistrationWindow::cmdTouroku_Click() {
    // A second Enter while the boxes of this run are up must not start another run.
    if (registering_)
        return;
    registering_ = true;
    const HWND focus = GetFocus();
    EnableWindow(window_, FALSE);
    UpdateWindow(window_);
    const std::vector<int> selected = SelectedRows(GetDlgItem(window_, IDC_FILE1));
    // The label shows the progress and then gets back what the pictures' own handling (the
    // preview of the new entry) last left in it.
    const HWND label = GetDlgItem(window_, IDC_ERRMESSAGE);
    std::wstring message = WindowText(label);
    for (std::size_t k = 0; k < selected.size(); ++k) {
        const std::string progress = RegisteringProgress(int(k + 1), int(selected.size()));
        SetLabelCaption(progress);
        const std::wstring shown = WindowText(label);
        const bool goOn = TourokuKabegami(selected[k]);
        if (WindowText(label) != shown)
            message = WindowText(label);
        if (!goOn)
            break;
    }
    SetWindowTextW(label, message.c_str());
    EnableWindow(window_, TRUE);
    registering_ = false;
    if (focus != nullptr)
        SetFocus(focus);
    UpdateWindow(window_);
}

bool RegistrationWindow::TourokuKabegami(int index) {
    const bool copyOption =
        SendDlgItemMessageW(window_, IDC_FILECOPY, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const RegisterOutcome outcome =
        registrar_.Register(filePath_, RowText(GetDlgItem(window_, IDC_FILE1), index), copyOption);
    Messages& messages = module_.messages();
    switch (outcome.result) {
    case RegisterOutcome::Failed:
        module_.ShowErrorMessage(*outcome.Error);
        return true;
    case RegisterOutcome::AlreadyRegistered:
        messages.MsgBox(AlreadyRegisteredMessage(outcome.Name), MsgBoxStyle::Critical,
                        AlreadyRegisteredTitle());
        return true;
    case RegisterOutcome::NameTaken:
        messages.MsgBox(NameTakenMessage(outcome.Name), MsgBoxStyle::Critical,
                        CannotRegisterTitle());
        return true;
    case RegisterOutcome::NotStorable:
        messages.MsgBox(NotStorableMessage(outcome.Name), MsgBoxStyle::Critical,
                        CannotRegisterTitle());
        return true;
    case RegisterOutcome::Registered:
    case RegisterOutcome::NotWritten:
        break;
    }
    FillTourokuFileList();
    if (outcome.result == RegisterOutcome::Registered) {
        const HWND list = GetDlgItem(window_, IDC_REGISTERED);
        const auto last = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1;
        SendMessageW(list, LB_SETCARETINDEX, WPARAM(last), FALSE);
        lstTourokuFileList_Click(); // the list tells only the user's own changes
    }
    return outcome.result == RegisterOutcome::Registered;
}

void RegistrationWindow::cmdDelete_Click() {
    const HWND list = GetDlgItem(window_, IDC_REGISTERED);
    const std::vector<int> rows = SelectedRows(list);
    if (rows.empty())
        return;
    const int style = MsgBoxStyle::YesNo | MsgBoxStyle::Question | MsgBoxStyle::DefaultButton2;
    if (module_.messages().MsgBox(kConfirmText, style, kConfirmTitle) != MsgBoxResult::Yes)
        return;
    std::vector<bool> selected(std::size_t(SendMessageW(list, LB_GETCOUNT, 0, 0)), false);
    for (int row : rows)
        selected[std::size_t(row)] = true;
    registrar_.Remove(selected);
    FillTourokuFileList();
    ClearPreviewPicture();
}

void RegistrationWindow::FillTourokuFileList() {
    const HWND list = GetDlgItem(window_, IDC_REGISTERED);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const KabegamiEntryView entry : module_.KabegamiList) {
        std::wstring name;
        try {
            name = windows_impl::Widen(entry.FileName);
        } catch (const PlatformError&) {
            name = L"?"; // the row must still stand for its entry
        }
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void RegistrationWindow::cmdAbout_Click() {
    AboutWindow about(module_.services());
    about.Run(instance_, window_);
}

} // namespace velmora::win32
