// SPDX-License-Identifier: MIT
#pragma once

#include "FolderRows.h"
#include "Fonts.h"
#include "Layout.h"
#include "Registrar.h"

#include <windows.h>

#include <string>
#include <vector>

namespace velmora {
class mdlKabegami;
}

namespace velmora::win32 {

// The captions over the two columns in their bold font, each as wide as its text needs.
void SetCaptionFonts(HWND window, WindowFonts& fonts, Dpi dpi);

// The registration window: browsing for pictures, the preview and the registered list. It
// gathers what the user chose and shows what the core's Registrar made of it.
class RegistrationWindow {
  public:
    explicit RegistrationWindow(mdlKabegami& module);
    ~RegistrationWindow();
    // Shows the window modally over owner until the user closes it.
    void Run(HINSTANCE instance, HWND owner);

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Command(WORD id, WORD code);
    void Form_Load();
    // Browsing (RegistrationBrowsing.cpp).
    void FillDrives();
    void SetDrive(const std::string& name);
    void Drive1_Change();
    void SetDirPath(const std::string& folder);
    void Dir1_Change();
    void SetFilePath(const std::string& folder);
    void File1_Click();
    void lstTourokuFileList_Click();
    void ShowPreview(const std::string& path);
    void PlacePreview(float widthTwips, float heightTwips);
    void SetLabelCaption(const std::string& text);
    // Registering and removing (RegistrationActions.cpp).
    void cmdTouroku_Click();
    bool TourokuKabegami(int index);
    void cmdDelete_Click();
    void FillTourokuFileList();
    void ClearPreviewPicture();
    void cmdAbout_Click();

    mdlKabegami& module_;
    Registrar registrar_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    WindowFonts fonts_;
    int dpiX_ = 96;
    int dpiY_ = 96;
    HBITMAP preview_ = nullptr;
    std::vector<std::string> driveNames_;
    std::vector<FolderRow> dirRows_;
    std::string dirPath_;
    std::string filePath_;
    bool registering_ = false;
};

} // namespace velmora::win32
