// SPDX-License-Identifier: MIT
// Registering the selected pictures.
#include "frmKabegamiTouroku.h"

#include "FileListBox.h"
#include "ListFileFormat.h"
#include "Platform.h"
#include "PlatformError.h"
#include "RegistrationRules.h"
#include "VbCheckBox.h"
#include "VbListBox.h"
#include "mdlKabegami.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

namespace velmora {

namespace {
const QString kPicFolderName = QStringLiteral("Pic");

// A picture that is gone is reported as any missing file.
void CheckSourceIsThere(Platform& platform, const QString& folder, const QString& name) {
    if (!platform.FileExists(folder + name))
        throw PlatformError(platform.FileExists(folder) ? Err::FileNotFound : Err::PathNotFound);
}
} // namespace

QString frmKabegamiTouroku::PicFolder() const {
    return module_.GetAppPath() + kPicFolderName + PathSeparator();
}

void frmKabegamiTouroku::cmdTouroku_Click() {
    // Events are handled between pictures: a second Enter must not start a run inside this one.
    if (registering_)
        return;
    registering_ = true;
    closeRequested_ = false;
    // Disabling the window takes the focus from its list; the user gets it back afterwards.
    const QPointer<QWidget> focus = focusWidget();
    setEnabled(false);
    repaint();
    QList<int> selected;
    const int count = File1_->count();
    for (int i = 0; i < count; ++i) {
        const QListWidgetItem* item = File1_->item(i);
        if (item != nullptr && item->isSelected())
            selected << i;
    }
    // The label shows the progress between pictures and gets back what the pictures' own
    // handling (the preview of the new entry) last left in it.
    QString message = lblErrMessage_->text();
    for (qsizetype k = 0; k < selected.size() && !closeRequested_; ++k) {
        const QString progress = RegisteringProgress(int(k + 1), int(selected.size()));
        SetLabelCaption(progress, lblErrMessage_);
        const bool goOn = TourokuKabegami(selected[k]);
        if (lblErrMessage_->text() != progress)
            message = lblErrMessage_->text();
        if (!goOn)
            break;
        // Paints the progress and lets the close box be heard; the window's controls stay
        // disabled, so nothing else can start.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    SetLabelCaption(message, lblErrMessage_);
    setEnabled(true);
    registering_ = false;
    if (drivesChanged_) {
        drivesChanged_ = false;
        Drives_Change();
    }
    if (closeRequested_) {
        close();
        return;
    }
    if (focus != nullptr)
        focus->setFocus();
    repaint();
}

bool frmKabegamiTouroku::TourokuKabegami(int index) {
    const QString folder = WithSeparator(File1_->Path());
    const QString name = File1_->item(index)->text();
    const bool copyOption = chkFileCopy_->Value() == 1;
    int driveType = DriveType::Unknown;
    try {
        driveType = GetRootDriveType(platform_.DriveOf(folder).root);
        // The mount table was read first: a medium taken out since then, or before, leaves
        // no file behind, and its former folder must not count as the disk under it.
        if (copyOption)
            CheckSourceIsThere(platform_, folder, name);
    } catch (const PlatformError& error) {
        module_.ShowErrorMessage(error);
        return true;
    }
    const bool copies = copyOption && driveType != DriveType::Fixed;

    switch (FindConflict(module_.KabegamiList, folder, name, copies)) {
    case Conflict::AlreadyRegistered:
        platform_.MsgBox(AlreadyRegisteredMessage(name), MsgBoxStyle::Critical,
                         AlreadyRegisteredTitle());
        return true;
    case Conflict::NameTaken:
        platform_.MsgBox(NameTakenMessage(name), MsgBoxStyle::Critical, CannotRegisterTitle());
        return true;
    case Conflict::None:
        break;
    }

    // Refused before anything is copied: the list file could not hold the name unchanged.
    const QString unstorable =
        UnstorableName(folder, name, copies ? PicFolder() + name : folder + name);
    if (!unstorable.isEmpty()) {
        platform_.MsgBox(NotStorableMessage(unstorable), MsgBoxStyle::Critical,
                         CannotRegisterTitle());
        return true;
    }

    KabegamiEntry entry{folder, name, folder + name, QStringLiteral("0")};
    if (copyOption) {
        try {
            CopyToPicFolder(folder, name, entry.KabegamiPath, entry.CopiedToPic);
        } catch (const PlatformError& error) {
            module_.ShowErrorMessage(error);
            return true;
        }
    }

    module_.KabegamiList.append(entry);
    const bool written = module_.WriteKabegamiList();
    module_.LoadKabegamiList();
    if (!written && entry.CopiedToPic == u'1' && !UsedByList(entry.KabegamiPath)) {
        // Its entry never reached the file, so the copy belongs to nothing.
        try {
            platform_.DeleteFile(entry.KabegamiPath);
        } catch (const PlatformError&) {
        }
    }
    FillTourokuFileList(module_.KabegamiList);
    if (written)
        lstTourokuFileList_->setCurrentRow(lstTourokuFileList_->count() - 1);
    return written;
}

void frmKabegamiTouroku::CopyToPicFolder(const QString& folder, const QString& name,
                                         QString& kabegamiPath, QString& copiedToPic) {
    const int driveType = GetRootDriveType(platform_.DriveOf(folder).root);
    CheckSourceIsThere(platform_, folder, name);
    if (driveType == DriveType::Fixed) {
        kabegamiPath = folder + name;
        copiedToPic = QStringLiteral("0");
        return;
    }
    const QString target = PicFolder() + name;
    platform_.CopyFile(folder + name, target);
    kabegamiPath = target;
    copiedToPic = QStringLiteral("1");
}

int frmKabegamiTouroku::GetRootDriveType(const QString& root) {
    return platform_.GetDriveType(root);
}

} // namespace velmora
