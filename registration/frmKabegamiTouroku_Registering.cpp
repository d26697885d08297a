// SPDX-License-Identifier: MIT
// Registering the selected pictures.
#include "frmKabegamiTouroku.h"

#include "FileListBox.h"
#include "Platform.h"
#include "QtText.h"
#include "Registrar.h"
#include "RegistrationRules.h"
#include "VbCheckBox.h"
#include "VbListBox.h"
#include "mdlKabegami.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

namespace velmora {

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
        const QString progress = FromUtf8(RegisteringProgress(int(k + 1), int(selected.size())));
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
    const RegisterOutcome outcome = registrar_->Register(
        ToUtf8(File1_->Path()), ToUtf8(File1_->item(index)->text()), chkFileCopy_->Value() == 1);
    switch (outcome.result) {
    case RegisterOutcome::Failed:
        module_.ShowErrorMessage(*outcome.Error);
        return true;
    case RegisterOutcome::AlreadyRegistered:
        platform_.MsgBox(AlreadyRegisteredMessage(outcome.Name), MsgBoxStyle::Critical,
                         AlreadyRegisteredTitle());
        return true;
    case RegisterOutcome::NameTaken:
        platform_.MsgBox(NameTakenMessage(outcome.Name), MsgBoxStyle::Critical,
                         CannotRegisterTitle());
        return true;
    case RegisterOutcome::NotStorable:
        platform_.MsgBox(NotStorableMessage(outcome.Name), MsgBoxStyle::Critical,
                         CannotRegisterTitle());
        return true;
    case RegisterOutcome::Registered:
    case RegisterOutcome::NotWritten:
        break;
    }
    FillTourokuFileList(module_.KabegamiList);
    if (outcome.result == RegisterOutcome::Registered)
        lstTourokuFileList_->setCurrentRow(lstTourokuFileList_->count() - 1);
    return outcome.result == RegisterOutcome::Registered;
}

} // namespace velmora
