// SPDX-License-Identifier: MIT
#include "frmChangeKabegami.h"

#include "AppIcon.h"
#include "Fonts.h"
#include "PlaceFormOnWorkArea.h"
#include "PlatformError.h"
#include "QtText.h"
#include "Resources.h"
#include "Stepping.h"
#include "Twips.h"
#include "VbButton.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QCloseEvent>
#include <QPushButton>

namespace velmora {

namespace {
constexpr const char* kBitmapName = "Mosswick壁紙.BMP";
constexpr const char* kPicFolder = "Pic";
} // namespace

frmChangeKabegami::frmChangeKabegami(mdlKabegami& module, Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      module_(module), platform_(platform) {
    InitResources();
    setObjectName(QStringLiteral("frmChangeKabegami"));
    setWindowTitle(QStringLiteral("Mosswick"));
    setWindowIcon(AppIcon());
    setFont(WindowFont());
    setFixedSize(TwipsToPixels(1080), TwipsToPixels(360));

    cmdTouroku_ = new VbButton(this);
    cmdTouroku_->setObjectName(QStringLiteral("cmdTouroku"));
    cmdTouroku_->setGeometry(TwipsRect(720, 0, 375, 375));
    QIcon hammer;
    hammer.addFile(QStringLiteral(":/velmora/hammer.png"));
    hammer.addFile(QStringLiteral(":/velmora/hammer@2x.png")); // sharp on doubled screens
    cmdTouroku_->setIcon(hammer);
    cmdTouroku_->setIconSize(QSize(TwipsToPixels(360), TwipsToPixels(360))); // 24 x 24 at 96 dpi
    cmdTouroku_->setAccessibleName(QStringLiteral("壁紙リスト登録"));
    cmdTouroku_->setToolTip(QStringLiteral("壁紙リスト登録"));

    const QFont arrowFont = MsPGothic(9.75, true);
    cmgGoPrev_ = new VbButton(QStringLiteral("<"), this);
    cmgGoPrev_->setObjectName(QStringLiteral("cmgGoPrev"));
    cmgGoPrev_->setGeometry(TwipsRect(0, 0, 375, 375));
    cmgGoPrev_->setFont(arrowFont);
    cmdGoNext_ = new VbButton(QStringLiteral(">"), this);
    cmdGoNext_->setObjectName(QStringLiteral("cmdGoNext"));
    cmdGoNext_->setGeometry(TwipsRect(360, 0, 375, 375));
    cmdGoNext_->setFont(arrowFont);
    // What "<" and ">" do, for screen readers and as tooltips.
    const QString removing = QStringLiteral(
        "Ctrl キーを押しながらクリックする (Ctrl+スペース、Ctrl+Enter) と壁紙を外します");
    cmgGoPrev_->setAccessibleName(QStringLiteral("前の壁紙"));
    cmgGoPrev_->setToolTip(QStringLiteral("前の壁紙\n") + removing);
    cmdGoNext_->setAccessibleName(QStringLiteral("次の壁紙"));
    cmdGoNext_->setToolTip(QStringLiteral("次の壁紙\n") + removing);
    for (VbButton* button : {cmgGoPrev_, cmdGoNext_})
        button->setAccessibleDescription(removing);
    for (QPushButton* button : {cmdTouroku_, static_cast<QPushButton*>(cmgGoPrev_),
                                static_cast<QPushButton*>(cmdGoNext_)}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
    }
    setTabOrder(cmdTouroku_, cmgGoPrev_);
    setTabOrder(cmgGoPrev_, cmdGoNext_);

    connect(cmdTouroku_, &QPushButton::clicked, this, &frmChangeKabegami::cmdTouroku_Click);
    connect(cmgGoPrev_, &QPushButton::clicked, this, &frmChangeKabegami::cmgGoPrev_Click);
    connect(cmdGoNext_, &QPushButton::clicked, this, &frmChangeKabegami::cmdGoNext_Click);
    for (VbButton* button : {cmgGoPrev_, cmdGoNext_}) {
        connect(button, &VbButton::MouseDown, this,
                [this](Qt::MouseButton, Qt::KeyboardModifiers m) { CtrlButton_MouseDown(m); });
        connect(button, &VbButton::MouseUp, this,
                [this](Qt::MouseButton, Qt::KeyboardModifiers) { CtrlButton_MouseUp(); });
        // Ctrl with space or Enter is the keyboard's Ctrl+click.
        connect(button, &VbButton::KeyDown, this,
                [this](Qt::KeyboardModifiers m) { CtrlButton_MouseDown(m); });
        connect(button, &VbButton::KeyUp, this, &frmChangeKabegami::CtrlButton_MouseUp);
    }
}

bool frmChangeKabegami::Form_Load() {
    std::string folder;
    try {
        folder = platform_.AppFolder();
        if (folder.empty()) // never the root folder in its place
            throw PlatformError(Err::BadFileName);
    } catch (const PlatformError& error) {
        module_.ShowErrorMessage(error);
        startFailed_ = true;
        return false;
    }
    try {
        if (platform_.PrevInstance(folder))
            return false;
    } catch (const PlatformError& error) {
        platform_.MsgBox(
            ToUtf8(QStringLiteral(
                       "フォルダ「%1」でこのプログラムが既に動いているかどうかを確かめられない"
                       "ため、起動を中止します。\n%2:%3")
                       .arg(FromUtf8(folder), QString::number(error.Number),
                            FromUtf8(error.Description))),
            MsgBoxStyle::Critical, "エラー");
        startFailed_ = true;
        return false;
    }
    module_.AppPath = module_.GetAppPath();
    CurrentIndex = -1;
    CurrentKabegamiFile.clear();
    PlaceFormOnWorkArea(*this, platform_);
    MakePicFolder();
    KabegamiChanged = false;
    try {
        module_.LastDrive = platform_.DriveOf(module_.GetAppPath()).Name;
    } catch (const PlatformError&) {
        // No volume listed for it: browsing starts without a remembered drive.
    }
    module_.LastFolder = module_.GetAppPath();
    module_.FileCopySetting = "1";
    RemoveLeftovers();
    return true;
}

void frmChangeKabegami::RemoveLeftovers() {
    // Only one instance runs from here on, so what a killed run left half-written is stale.
    // Best effort: the application folder's own troubles show when the list is read.
    try {
        platform_.RemoveTemporaryFiles(module_.AppPath);
    } catch (const PlatformError&) {
    }
    try {
        platform_.RemoveTemporaryFiles(module_.AppPath + kPicFolder);
    } catch (const PlatformError& error) {
        module_.ShowErrorMessage(error);
    }
}

void frmChangeKabegami::Form_Activate() {
    module_.LoadKabegamiList();
}

void frmChangeKabegami::MakePicFolder() {
    try {
        platform_.MkDir(module_.GetAppPath() + kPicFolder + std::string(PathSeparator()));
    } catch (const PlatformError& error) {
        if (error.Number != Err::PathFileAccess)
            module_.ShowErrorMessage(error);
    }
}

int frmChangeKabegami::GetListUBound() const {
    return module_.UBound();
}

void frmChangeKabegami::CtrlButton_MouseDown(Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    CtrlDown = held == Qt::ControlModifier;
}

void frmChangeKabegami::CtrlButton_MouseUp() {
    CtrlDown = false;
}

void frmChangeKabegami::cmgGoPrev_Click() {
    if (CtrlDown) {
        ClearKabegami();
        return;
    }
    const int u = GetListUBound();
    if (u == -1)
        return;
    CurrentIndex = PrevIndex(CurrentIndex, u);
    SetKabegami(module_.KabegamiList[CurrentIndex]);
}

void frmChangeKabegami::cmdGoNext_Click() {
    if (CtrlDown) {
        ClearKabegami();
        return;
    }
    const int u = GetListUBound();
    if (u == -1)
        return;
    CurrentIndex = NextIndex(CurrentIndex, u);
    SetKabegami(module_.KabegamiList[CurrentIndex]);
}

void frmChangeKabegami::cmdTouroku_Click() {
    {
        // Owned by no window: a window manager that minimises a window together with its
        // owner would take this one along when the About window minimises the registration
        // window. Application-modal, so this window still takes no input meanwhile.
        frmKabegamiTouroku touroku(module_, platform_, nullptr);
        touroku.setWindowModality(Qt::ApplicationModal);
        touroku.exec();
    }
    // Not the registration window's owner, so the window manager need not hand the focus back.
    activateWindow();
    Form_Activate();
}

std::string frmChangeKabegami::KabegamiBitmapPath() const {
    return module_.AppPath + kBitmapName;
}

void frmChangeKabegami::ReportUnlessMediumGone(const PlatformError& error) const {
    // A medium taken out or a picture moved away is no surprise to the user.
    if (error.Number != Err::FileNotFound && error.Number != Err::DiskNotReady &&
        error.Number != Err::PathNotFound)
        module_.ShowErrorMessage(error);
}

void frmChangeKabegami::SetKabegami(const KabegamiEntryView& entry) {
    try {
        imgDummy_ = platform_.LoadPicture(std::string(entry.KabegamiPath));
        platform_.SavePicture(imgDummy_, KabegamiBitmapPath());
        CurrentKabegamiFile = KabegamiBitmapPath();
        platform_.SetDeskWallpaper(CurrentKabegamiFile, WallpaperFlags::SessionOnly);
        KabegamiChanged = true;
    } catch (const PlatformError& error) {
        ReportUnlessMediumGone(error);
    }
}

void frmChangeKabegami::ClearKabegami() {
    try {
        CurrentKabegamiFile.clear();
        platform_.SetDeskWallpaper(CurrentKabegamiFile, WallpaperFlags::SessionOnly);
        KabegamiChanged = true;
    } catch (const PlatformError& error) {
        ReportUnlessMediumGone(error);
    }
}

void frmChangeKabegami::Form_Unload() {
    if (!KabegamiChanged)
        return;
    try {
        platform_.SetDeskWallpaper(CurrentKabegamiFile, WallpaperFlags::Store);
    } catch (...) {
        // Closing never fails and never speaks.
    }
}

void frmChangeKabegami::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

bool frmChangeKabegami::event(QEvent* event) {
    const bool result = QWidget::event(event);
    // The window manager adds its frame only after the window is shown: place the window
    // again until its outer height is known. By its first paint the window is on the screen,
    // so whatever frame it has is known then, and with no window manager there is none.
    // After that the window is the user's to move.
    if (placingUntilFrameKnown_ && isVisible()) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            if (PlaceFormOnWorkArea(*this, platform_))
                placingUntilFrameKnown_ = false;
            break;
        case QEvent::Paint:
            PlaceFormOnWorkArea(*this, platform_);
            placingUntilFrameKnown_ = false;
            break;
        default:
            break;
        }
    }
    return result;
}

} // namespace velmora
