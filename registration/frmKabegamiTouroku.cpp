// SPDX-License-Identifier: MIT
#include "frmKabegamiTouroku.h"

#include "AppIcon.h"
#include "CentreOnScreen.h"
#include "DirListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "Fonts.h"
#include "MountWatcher.h"
#include "Platform.h"
#include "PlatformError.h"
#include "PreviewBox.h"
#include "QtText.h"
#include "Registrar.h"
#include "Twips.h"
#include "VbButton.h"
#include "VbCheckBox.h"
#include "VbListBox.h"
#include "mdlKabegami.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace velmora {

namespace {
constexpr float kPreviewLeft = 3000.0f;
constexpr float kPreviewTop = 2400.0f;
constexpr float kPreviewStartWidth = 2295.0f;

template <typename W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

frmKabegamiTouroku::frmKabegamiTouroku(mdlKabegami& module, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      module_(module), platform_(platform), registrar_(std::make_unique<Registrar>(module)),
      previewWidth_(kPreviewStartWidth), previewHeight_(kPreviewSquare) {
    setObjectName(QStringLiteral("frmKabegamiTouroku"));
    setWindowTitle(QStringLiteral("壁紙リスト登録"));
    setWindowIcon(AppIcon());
    setFont(WindowFont());
    setFixedSize(TwipsToPixels(6465), TwipsToPixels(5175));
    setSizeGripEnabled(false);
    BuildControls();

    // Like the classic browsing controls, the lists start at the current folder, which for
    // this program is its own folder; this raises no change.
    const QString start = FromUtf8(module_.GetAppPath());
    try {
        const QSignalBlocker quietDrive(Drive1_);
        Drive1_->Fill(FromUtf8(platform_.DriveOf(ToUtf8(start)).Name));
    } catch (const PlatformError&) {
    }
    try {
        const QSignalBlocker quietDir(Dir1_);
        Dir1_->SetPath(start);
        File1_->SetPath(start);
    } catch (const PlatformError&) {
    }

    ConnectHandlers();
    connect(platform_.WatchMounts(this), &MountWatcher::Changed, this,
            &frmKabegamiTouroku::Drives_Change);
    Form_Load();
}

frmKabegamiTouroku::~frmKabegamiTouroku() = default;

void frmKabegamiTouroku::BuildControls() {
    const QFont heading = MsPGothic(11.25, true);

    // The framed lists keep their frames whole at fractional screen scales.
    const qreal ratio = devicePixelRatioF();
    // Made in tab order, so the focus chain follows it.
    Drive1_ = Named(new DriveComboBox(platform_, this), "Drive1");
    Drive1_->setGeometry(TwipsRect(120, 480, 2295, 300));
    Dir1_ = Named(new DirListBox(platform_, this), "Dir1");
    Dir1_->setGeometry(OnScreenPixels(TwipsRect(120, 840, 2295, 1560), ratio));
    File1_ = Named(new FileListBox(platform_, this), "File1");
    File1_->setGeometry(OnScreenPixels(TwipsRect(120, 2400, 2295, 1710), ratio));
    cmdTouroku_ = Named(new VbButton(QStringLiteral("登録"), this), "cmdTouroku");
    cmdTouroku_->setGeometry(TwipsRect(120, 4320, 2295, 375));
    lstTourokuFileList_ = Named(new VbListBox(this), "lstTourokuFileList");
    lstTourokuFileList_->setGeometry(OnScreenPixels(TwipsRect(2880, 480, 2535, 1500), ratio));
    cmdAbout_ = Named(new VbButton(QStringLiteral("about..."), this), "cmdAbout");
    cmdAbout_->setGeometry(TwipsRect(5520, 1200, 855, 375));
    cmdDelete_ = Named(new VbButton(QStringLiteral("削除"), this), "cmdDelete");
    cmdDelete_->setGeometry(TwipsRect(5520, 1560, 855, 375));
    chkFileCopy_ = Named(
        new VbCheckBox(
            QStringLiteral("画像元がハードディスク以外のファイルをハードディスクにコピーする"),
            this),
        "chkFileCopy");
    chkFileCopy_->setGeometry(TwipsRect(120, 4800, 5775, 375));

    lblErrMessage_ = Named(new QLabel(this), "lblErrMessage");
    lblErrMessage_->setGeometry(TwipsRect(2880, 2040, 3255, 255));
    KeepMessageReadable();
    Label1_ = Named(new QLabel(QStringLiteral("追加登録"), this), "Label1");
    Label1_->setGeometry(TwipsRect(120, 120, 1215, 255));
    Label1_->setFont(heading);
    Label2_ = Named(new QLabel(QStringLiteral("登録済リスト"), this), "Label2");
    Label2_->setGeometry(TwipsRect(2880, 120, 1455, 255));
    Label2_->setFont(heading);
    // The headings name the controls below them for screen readers.
    Label1_->setBuddy(Drive1_);
    Label2_->setBuddy(lstTourokuFileList_);
    Drive1_->setAccessibleName(QStringLiteral("追加登録 ドライブ"));
    Dir1_->setAccessibleName(QStringLiteral("追加登録 フォルダ"));
    File1_->setAccessibleName(QStringLiteral("追加登録 ファイル"));
    lstTourokuFileList_->setAccessibleName(Label2_->text());

    imgPreview_ = Named(new QLabel(this), "imgPreview");
    imgPreview_->setScaledContents(true);
    PlacePreview(previewWidth_, previewHeight_);
    // Only measures pictures: never shown.
    imgSettei_ = Named(new QLabel(this), "imgSettei");
    imgSettei_->setGeometry(TwipsRect(3240, 2520, 2775, 1935));
    imgSettei_->hide();

    const QList<QWidget*> tabOrder{
        Drive1_,   Dir1_,      File1_,      cmdTouroku_, lstTourokuFileList_,
        cmdAbout_, cmdDelete_, chkFileCopy_};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    for (QWidget* w : tabOrder)
        w->setFocusPolicy(Qt::StrongFocus);
    for (QPushButton* button : {cmdTouroku_, cmdAbout_, cmdDelete_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    Drive1_->setFocus();
}

void frmKabegamiTouroku::ConnectHandlers() {
    connect(Drive1_, &DriveComboBox::Change, this, &frmKabegamiTouroku::Drive1_Change);
    connect(Dir1_, &DirListBox::Change, this, &frmKabegamiTouroku::Dir1_Change);
    connect(Dir1_, &DirListBox::OpenFailed, this, [this](int number, const QString& description) {
        module_.ShowErrorMessage(number, ToUtf8(description));
    });
    connect(File1_, &VbListBox::Click, this, &frmKabegamiTouroku::File1_Click);
    connect(File1_, &VbListBox::KeyPress, this, &frmKabegamiTouroku::File1_KeyPress);
    connect(lstTourokuFileList_, &VbListBox::Click, this,
            &frmKabegamiTouroku::lstTourokuFileList_Click);
    connect(lstTourokuFileList_, &VbListBox::KeyPress, this,
            &frmKabegamiTouroku::lstTourokuFileList_KeyPress);
    connect(chkFileCopy_, &QCheckBox::stateChanged, this, &frmKabegamiTouroku::chkFileCopy_Click);
    connect(cmdTouroku_, &QPushButton::clicked, this, &frmKabegamiTouroku::cmdTouroku_Click);
    connect(cmdAbout_, &QPushButton::clicked, this, &frmKabegamiTouroku::cmdAbout_Click);
    connect(cmdDelete_, &QPushButton::clicked, this, &frmKabegamiTouroku::cmdDelete_Click);
}

float frmKabegamiTouroku::PreviewLeft() const {
    return kPreviewLeft;
}
float frmKabegamiTouroku::PreviewTop() const {
    return kPreviewTop;
}

void frmKabegamiTouroku::PlacePreview(float width, float height) {
    previewWidth_ = width;
    previewHeight_ = height;
    imgPreview_->setGeometry(TwipsRect(kPreviewLeft, kPreviewTop, width, height));
}

void frmKabegamiTouroku::showEvent(QShowEvent* event) {
    // Centred on the screen at its first showing, frame included.
    if (!placed_) {
        placed_ = true;
        CentreOnScreen(*this, platform_);
    }
    QDialog::showEvent(event);
}

// The window is disabled while it registers, and the message label then tells how far it
// has got: it keeps the normal text colour.
void frmKabegamiTouroku::KeepMessageReadable() {
    QPalette colours = palette();
    colours.setColor(QPalette::Disabled, QPalette::WindowText,
                     colours.color(QPalette::Active, QPalette::WindowText));
    lblErrMessage_->setPalette(colours);
}

void frmKabegamiTouroku::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && lblErrMessage_ != nullptr)
        KeepMessageReadable();
}

void frmKabegamiTouroku::closeEvent(QCloseEvent* event) {
    // Closing in the middle of a picture would leave it half registered: the run ends after it.
    if (registering_) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmKabegamiTouroku::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button, so Escape does not close it; the close box does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace velmora
