// SPDX-License-Identifier: MIT
#include "MessageBoxes.h"

#include "WideText.h"

#include <windows.h>

namespace velmora::win32 {

// The styles and answers are the Win32 ones, number for number.
static_assert(MsgBoxStyle::YesNo == MB_YESNO && MsgBoxStyle::Critical == MB_ICONHAND &&
              MsgBoxStyle::Question == MB_ICONQUESTION &&
              MsgBoxStyle::DefaultButton2 == MB_DEFBUTTON2 && MsgBoxStyle::OkOnly == MB_OK);
static_assert(MsgBoxResult::Ok == IDOK && MsgBoxResult::Cancel == IDCANCEL &&
              MsgBoxResult::Yes == IDYES && MsgBoxResult::No == IDNO);

namespace {

std::wstring WideOrMarked(const std::string& text) {
    try {
        return windows_impl::Widen(text);
    } catch (const std::exception&) {
        // A name that is no valid UTF-8 still gets its box rather than none.
        std::wstring wide;
        for (unsigned char c : text)
            wide.push_back(c < 0x80 ? wchar_t(c) : L'\uFFFD');
        return wide;
    }
}

} // namespace

int MessageBoxes::MsgBox(const std::string& text, int style, const std::string& title) {
    return MessageBoxW(GetActiveWindow(), WideOrMarked(text).c_str(), WideOrMarked(title).c_str(),
                       static_cast<UINT>(style));
}

} // namespace velmora::win32
