// SPDX-License-Identifier: MIT
// Opening the window, browsing, the preview and the registered list's display.
#include "frmKabegamiTouroku.h"

#include "DirListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "FrmVer.h"
#include "Platform.h"
#include "PlatformError.h"
#include "PreviewBox.h"
#include "QtText.h"
#include "RegistrationRules.h"
#include "Twips.h"
#include "VbCheckBox.h"
#include "VbListBox.h"
#include "mdlKabegami.h"

#include <QLabel>
#include <QPixmap>

namespace velmora {

namespace {
const QString kPicturePattern = QStringLiteral("*.BMP;*.JPG;*.JPEG");

// Runs one step of the window's opening; a step that fails is passed over.
template <typename Step> void Ignoring(Step step) {
    try {
        step();
    } catch (const PlatformError&) {
    }
}
} // namespace

void frmKabegamiTouroku::Form_Load() {
    Ignoring([this] { File1_->SetPattern(kPicturePattern); });
    module_.LoadKabegamiList();
    FillTourokuFileList(module_.KabegamiList);
    SetLabelCaption(QString(), lblErrMessage_);

    // The drive comes after the folder, so a restored drive that differs from the shown one
    // has the last word.
    const QString lastFolder = FromUtf8(module_.LastFolder);
    const QString lastDrive = FromUtf8(module_.LastDrive);
    Ignoring([&] { Dir1_->SetPath(lastFolder); });
    Ignoring([&] { File1_->SetPath(lastFolder); });
    Ignoring([&] { Drive1_->SetDrive(lastDrive); });
    Ignoring([this] {
        bool isNumber = false;
        const int value = FromUtf8(module_.FileCopySetting).trimmed().toInt(&isNumber);
        if (isNumber)
            chkFileCopy_->SetValue(value);
    });
}

void frmKabegamiTouroku::Drive1_Change() {
    try {
        Dir1_->SetPath(FromUtf8(platform_.DriveByName(ToUtf8(Drive1_->Drive())).Root));
    } catch (const PlatformError&) {
        // A drive without a medium: the lists stay where they were, the choice stands.
    }
    module_.LastDrive = ToUtf8(Drive1_->Drive());
}

void frmKabegamiTouroku::Drives_Change() {
    // A register action reads the file list row by row: it must not change under it.
    if (registering_) {
        drivesChanged_ = true;
        return;
    }
    const QString shown = Drive1_->Drive();
    try {
        Drive1_->Fill(shown);
    } catch (const PlatformError&) {
        return; // the volumes cannot be read now: the selector keeps what it showed
    }
    // The shown drive is gone: the lists follow the drive the selector falls back to.
    if (Drive1_->Drive() != shown)
        Drive1_Change();
}

void frmKabegamiTouroku::Dir1_Change() {
    try {
        File1_->SetPath(Dir1_->Path());
    } catch (const PlatformError& error) {
        // Never offer names from the former folder under the new one.
        File1_->ShowEmpty(Dir1_->Path());
        module_.ShowErrorMessage(error);
    }
    module_.LastFolder = ToUtf8(Dir1_->Path());
}

void frmKabegamiTouroku::File1_Click() {
    const QListWidgetItem* current = File1_->currentItem();
    if (current == nullptr)
        return;
    ShowPreview(FromUtf8(WithSeparator(ToUtf8(Dir1_->Path()))) + current->text());
}

void frmKabegamiTouroku::File1_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        cmdTouroku_Click();
}

void frmKabegamiTouroku::lstTourokuFileList_Click() {
    const int index = lstTourokuFileList_->currentRow();
    if (index < 0 || std::size_t(index) >= module_.KabegamiList.size())
        return;
    ShowPreview(FromUtf8(module_.KabegamiList[std::size_t(index)].KabegamiPath));
}

void frmKabegamiTouroku::lstTourokuFileList_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        cmdDelete_Click();
}

void frmKabegamiTouroku::chkFileCopy_Click() {
    module_.FileCopySetting = std::to_string(chkFileCopy_->Value());
}

void frmKabegamiTouroku::cmdAbout_Click() {
    FrmVer about(platform_, this);
    setWindowState(windowState() | Qt::WindowMinimized);
    about.exec();
}

void frmKabegamiTouroku::ShowPreview(const QString& path) {
    try {
        SetLabelCaption(QString(), lblErrMessage_);
        imgPreview_->hide();
        PlacePreview(kPreviewSquare, kPreviewSquare);

        const PictureInfo picture = platform_.LoadPicture(ToUtf8(path));
        if (picture.Width <= 0 || picture.Height <= 0)
            throw PlatformError(Err::InvalidPicture);
        imgSettei_->resize(picture.Width, picture.Height);
        const float w = static_cast<float>(PixelsToTwips(picture.Width));
        const float h = static_cast<float>(PixelsToTwips(picture.Height));
        const PreviewSize fitted = FitPreview(w, h);
        PlacePreview(fitted.width, fitted.height);

        // Decode only what the box shows, at the screen's own pixel density.
        const qreal ratio = devicePixelRatioF();
        const QSize box = imgPreview_->size() * ratio;
        QPixmap pixmap = QPixmap::fromImage(platform_.LoadPreview(picture, box));
        pixmap.setDevicePixelRatio(ratio);
        imgPreview_->setPixmap(pixmap);
        imgPreview_->show();
    } catch (const PlatformError& error) {
        switch (error.Number) {
        case Err::FileNotFound:
            break;
        case Err::DiskNotReady:
            SetLabelCaption(QStringLiteral("ディスクをセットしてください"), lblErrMessage_);
            break;
        case Err::PathNotFound:
            SetLabelCaption(QStringLiteral("正しいディスクをセットしてください"), lblErrMessage_);
            break;
        default:
            module_.ShowErrorMessage(error);
            break;
        }
    }
}

void frmKabegamiTouroku::FillTourokuFileList(const KabegamiEntries& list) {
    // Shows what emptying the box and adding every entry would show, but keeps the rows that
    // already hold the right name: registering into a long list then costs one new row, not
    // a rebuild of thousands.
    VbListBox* box = lstTourokuFileList_;
    box->setCurrentRow(-1);
    box->clearSelection();
    const auto rowName = [this](std::size_t row) {
        const std::size_t begin = row == 0 ? 0 : rowEnds_[row - 1];
        return std::string_view(rowNames_).substr(begin, rowEnds_[row] - begin);
    };
    std::size_t kept = 0;
    if (std::size_t(box->count()) == rowEnds_.size()) {
        while (kept < rowEnds_.size() && kept < list.size() && rowName(kept) == list[kept].FileName)
            ++kept;
    }
    for (int row = box->count() - 1; row >= int(kept); --row)
        delete box->takeItem(row);
    rowNames_.resize(kept == 0 ? 0 : rowEnds_[kept - 1]);
    rowEnds_.resize(kept);
    QStringList added;
    added.reserve(qsizetype(list.size() - kept));
    for (std::size_t i = kept; i < list.size(); ++i) {
        const std::string_view name = list[i].FileName;
        added.append(FromUtf8(name));
        rowNames_.append(name);
        rowEnds_.push_back(rowNames_.size());
    }
    box->addItems(added);
}

void frmKabegamiTouroku::SetLabelCaption(const QString& text, QLabel* label) {
    label->setText(text);
    label->repaint();
}

} // namespace velmora
