// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntries.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace velmora {

class DirListBox;
class DriveComboBox;
class FileListBox;
class Platform;
class PlatformError;
class Registrar;
class VbCheckBox;
class VbListBox;
class mdlKabegami;

// The registration window: browsing drives, folders and pictures, the preview, the
// registered list, registering pictures and removing registrations. Made and shown modally
// by the changer window; loads itself (Form_Load) when it is made.
class frmKabegamiTouroku : public QDialog {
    Q_OBJECT
  public:
    frmKabegamiTouroku(mdlKabegami& module, Platform& platform, QWidget* parent = nullptr);
    ~frmKabegamiTouroku() override;

    // Event handlers.
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_KeyPress(int keyAscii);
    void lstTourokuFileList_Click();
    void lstTourokuFileList_KeyPress(int keyAscii);
    void chkFileCopy_Click();
    // Volumes were mounted or unmounted: the drive selector lists them afresh.
    void Drives_Change();
    void cmdAbout_Click();
    // Registers the selected pictures one by one, showing how far it has got. The close box
    // ends the run after the picture at hand and then closes the window.
    void cmdTouroku_Click();
    void cmdDelete_Click();

    // Browsing and display.
    void ShowPreview(const QString& path);
    void FillTourokuFileList(const KabegamiEntries& list);
    void SetLabelCaption(const QString& text, QLabel* label);

    // Registering.
    // Registers the file list's row index, or refuses it with a message. Returns false when
    // the list file could not be written, which ends the register action.
    bool TourokuKabegami(int index);

    // Removing.
    bool IsTourokuSelected() const;

    // The controls, for the changer window's tests and this window's own.
    DriveComboBox* Drive1() const { return Drive1_; }
    DirListBox* Dir1() const { return Dir1_; }
    FileListBox* File1() const { return File1_; }
    QPushButton* cmdTouroku() const { return cmdTouroku_; }
    VbCheckBox* chkFileCopy() const { return chkFileCopy_; }
    VbListBox* lstTourokuFileList() const { return lstTourokuFileList_; }
    QLabel* lblErrMessage() const { return lblErrMessage_; }
    QLabel* imgPreview() const { return imgPreview_; }
    QLabel* imgSettei() const { return imgSettei_; }
    QPushButton* cmdAbout() const { return cmdAbout_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }

    // The preview box in twips, as last set.
    float PreviewLeft() const;
    float PreviewTop() const;
    float PreviewWidth() const { return previewWidth_; }
    float PreviewHeight() const { return previewHeight_; }

    // The list as it stood before the last removal.
    const KabegamiEntries& KabegamiBackup() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildControls();
    void ConnectHandlers();
    void PlacePreview(float width, float height);
    void KeepMessageReadable();

    mdlKabegami& module_;
    Platform& platform_;
    std::unique_ptr<Registrar> registrar_;
    float previewWidth_;
    float previewHeight_;
    bool placed_ = false;
    bool registering_ = false;    // a register action runs
    bool closeRequested_ = false; // the close box was used during it
    bool drivesChanged_ = false;  // volumes changed during it
    // The names the registered list's rows show, one after another, and where each ends:
    // comparing a row with the list is then a comparison of bytes, not of a QString made
    // for it (registering into 10,000 entries compares them all after every picture).
    std::string rowNames_;
    std::vector<std::size_t> rowEnds_;

    QLabel* Label1_ = nullptr;
    DriveComboBox* Drive1_ = nullptr;
    DirListBox* Dir1_ = nullptr;
    FileListBox* File1_ = nullptr;
    QPushButton* cmdTouroku_ = nullptr;
    VbCheckBox* chkFileCopy_ = nullptr;
    QLabel* Label2_ = nullptr;
    VbListBox* lstTourokuFileList_ = nullptr;
    QLabel* lblErrMessage_ = nullptr;
    QLabel* imgPreview_ = nullptr;
    QLabel* imgSettei_ = nullptr;
    QPushButton* cmdAbout_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
};

} // namespace velmora
