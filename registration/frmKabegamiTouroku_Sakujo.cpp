// SPDX-License-Identifier: MIT
// Removing registrations.
#include "frmKabegamiTouroku.h"

#include "Platform.h"
#include "PlatformError.h"
#include "RegistrationRules.h"
#include "VbListBox.h"
#include "mdlKabegami.h"

#include <QFileInfo>
#include <QLabel>

namespace velmora {

namespace {
const QString kConfirmText = QStringLiteral("選択されたファイルを登録済みリストから削除しますか？");
const QString kConfirmTitle = QStringLiteral("登録削除確認");
} // namespace

void frmKabegamiTouroku::cmdDelete_Click() {
    if (!IsTourokuSelected())
        return;
    const int style = MsgBoxStyle::YesNo | MsgBoxStyle::Question | MsgBoxStyle::DefaultButton2;
    if (platform_.MsgBox(kConfirmText, style, kConfirmTitle) != MsgBoxResult::Yes)
        return;
    BackupKabegamiList();
    QList<int> removed;
    const int n = lstTourokuFileList_->count();
    for (int i = 0; i < n; ++i) {
        if (lstTourokuFileList_->item(i)->isSelected())
            removed.append(i);
    }
    RemoveSelectedEntries();
    // The copies go only once the list without their entries is on disk: a list that could
    // not be written still names them.
    if (SaveKabegamiList()) {
        for (int i : removed)
            DeleteCopiedFile(i);
    }
}

bool frmKabegamiTouroku::IsTourokuSelected() const {
    const int n = lstTourokuFileList_->count();
    for (int i = 0; i < n; ++i) {
        if (lstTourokuFileList_->item(i)->isSelected())
            return true;
    }
    return false;
}

void frmKabegamiTouroku::BackupKabegamiList() {
    kabegamiBackup_ = module_.KabegamiList;
}

void frmKabegamiTouroku::DeleteCopiedFile(int index) {
    if (index < 0 || index >= kabegamiBackup_.size())
        return;
    const KabegamiEntry& entry = kabegamiBackup_[index];
    if (entry.CopiedToPic != u'1')
        return;
    // Whatever the list file says, nothing outside the program's own Pic/ is deleted.
    const QString picFolder = platform_.ResolvePath(PicFolder());
    if (!LiesInside(platform_.ResolvePath(entry.KabegamiPath), picFolder))
        return;
    if (UsedByList(entry.KabegamiPath))
        return;
    try {
        platform_.DeleteFile(entry.KabegamiPath);
    } catch (const PlatformError&) {
    }
}

void frmKabegamiTouroku::RemoveSelectedEntries() {
    QList<bool> selected;
    const int n = lstTourokuFileList_->count();
    for (int i = 0; i < n; ++i)
        selected.append(lstTourokuFileList_->item(i)->isSelected());
    module_.KabegamiList = WithoutSelected(kabegamiBackup_, selected);
}

bool frmKabegamiTouroku::SaveKabegamiList() {
    const bool written = module_.WriteKabegamiList();
    module_.LoadKabegamiList();
    FillTourokuFileList(module_.KabegamiList);
    lstTourokuFileList_->setCurrentRow(-1);
    lstTourokuFileList_->clearSelection();
    imgPreview_->clear();
    return written;
}

bool frmKabegamiTouroku::UsedByList(const QString& path) const {
    // Only an entry that names a file of the same name is worth resolving.
    const QString name = QFileInfo(path).fileName();
    QString resolved;
    for (const KabegamiEntry& entry : module_.KabegamiList) {
        if (QFileInfo(entry.KabegamiPath).fileName() != name)
            continue;
        if (resolved.isEmpty())
            resolved = platform_.ResolvePath(path);
        if (platform_.ResolvePath(entry.KabegamiPath) == resolved)
            return true;
    }
    return false;
}

} // namespace velmora
