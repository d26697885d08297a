// SPDX-License-Identifier: MIT
// Removing registrations.
#include "frmKabegamiTouroku.h"

#include "Platform.h"
#include "Registrar.h"
#include "VbListBox.h"
#include "mdlKabegami.h"

#include <QLabel>

namespace velmora {

namespace {
constexpr const char* kConfirmText = "選択されたファイルを登録済みリストから削除しますか？";
constexpr const char* kConfirmTitle = "登録削除確認";
} // namespace

void frmKabegamiTouroku::cmdDelete_Click() {
    if (!IsTourokuSelected())
        return;
    const int style = MsgBoxStyle::YesNo | MsgBoxStyle::Question | MsgBoxStyle::DefaultButton2;
    if (platform_.MsgBox(kConfirmText, style, kConfirmTitle) != MsgBoxResult::Yes)
        return;
    std::vector<bool> selected;
    const int n = lstTourokuFileList_->count();
    for (int i = 0; i < n; ++i)
        selected.push_back(lstTourokuFileList_->item(i)->isSelected());
    registrar_->Remove(selected);
    FillTourokuFileList(module_.KabegamiList);
    lstTourokuFileList_->setCurrentRow(-1);
    lstTourokuFileList_->clearSelection();
    imgPreview_->clear();
}

bool frmKabegamiTouroku::IsTourokuSelected() const {
    const int n = lstTourokuFileList_->count();
    for (int i = 0; i < n; ++i) {
        if (lstTourokuFileList_->item(i)->isSelected())
            return true;
    }
    return false;
}

const KabegamiEntries& frmKabegamiTouroku::KabegamiBackup() const {
    return registrar_->KabegamiBackup();
}

} // namespace velmora
