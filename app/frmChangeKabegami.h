// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntries.h"
#include "Platform.h"

#include <QWidget>

class QPushButton;

namespace velmora {

class mdlKabegami;
class PlatformError;
class VbButton;

// The start-up window: "<" and ">" step through the list and apply each reached picture
// as the desktop wallpaper; the hammer opens the registration window.
class frmChangeKabegami : public QWidget {
    Q_OBJECT
  public:
    frmChangeKabegami(mdlKabegami& module, Platform& platform, QWidget* parent = nullptr);

    // Start-up. False when another instance runs (the program must then end silently) or
    // when the program cannot start (StartFailed, already reported).
    bool Form_Load();
    bool StartFailed() const { return startFailed_; }
    // Reloads the list; runs whenever the window becomes the program's active window.
    void Form_Activate();
    void Form_Unload();

    void cmgGoPrev_Click();
    void cmdGoNext_Click();
    void cmdTouroku_Click();

    int CurrentIndex = -1;
    std::string CurrentKabegamiFile;
    bool KabegamiChanged = false;
    bool CtrlDown = false;

    // The converted bitmap that the desktop shows.
    std::string KabegamiBitmapPath() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void CtrlButton_MouseDown(Qt::KeyboardModifiers modifiers);
    void CtrlButton_MouseUp();
    void MakePicFolder();
    void RemoveLeftovers();
    int GetListUBound() const;
    void SetKabegami(const KabegamiEntryView& entry);
    void ClearKabegami();
    void ReportUnlessMediumGone(const PlatformError& error) const;

    mdlKabegami& module_;
    Platform& platform_;
    QPushButton* cmdTouroku_;
    VbButton* cmgGoPrev_;
    VbButton* cmdGoNext_;
    PictureInfo imgDummy_; // carries the loaded picture from the load to the save
    bool placingUntilFrameKnown_ = true;
    bool startFailed_ = false;
};

} // namespace velmora
