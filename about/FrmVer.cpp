// SPDX-License-Identifier: MIT
#include "FrmVer.h"

#include "AppIcon.h"
#include "CentreOnScreen.h"
#include "Fonts.h"
#include "LinkLabel.h"
#include "Platform.h"
#include "QtText.h"
#include "Resources.h"
#include "Twips.h"
#include "VbButton.h"

#include <QKeyEvent>
#include <QPushButton>

namespace velmora {

namespace {

const QColor kPurple(128, 0, 128);
const QColor kDarkBlue(0, 0, 192);
const QColor kLinkBlue(0, 0, 255);
// The light dialog face that the colours above were chosen for; under a dark desktop theme
// they would stand on a dark ground, hard to read.
const QColor kDialogFace(240, 240, 240);

template <typename Label>
Label* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new Label(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

FrmVer::FrmVer(Platform& platform, QWidget* registrationWindow)
    : QDialog(registrationWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(platform), registrationWindow_(registrationWindow) {
    InitResources();
    setObjectName(QStringLiteral("FrmVer"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowIcon(AppIcon());
    setFont(WindowFont());
    setPalette(QPalette(kDialogFace));
    setFixedSize(TwipsToPixels(5430), TwipsToPixels(3390));

    // Created from top to bottom, the order in which a screen reader walks them.
    Label4_ =
        MakeLabel<QLabel>(this, "Label4", QStringLiteral("ＣＤ-ＲＯＭ／リムーバブルディスク対応"),
                          TwipsRect(240, 240, 5055, 375));
    Label4_->setFont(MsGothic(11.25, true));
    SetTextColour(Label4_, kPurple);

    Label5_ = MakeLabel<QLabel>(this, "Label5", QStringLiteral("Velmora"),
                                TwipsRect(240, 480, 5055, 375));
    Label5_->setFont(MsGothic(11.25, true));
    SetTextColour(Label5_, kPurple);

    Image1_ = new QLabel(this);
    Image1_->setObjectName(QStringLiteral("Image1"));
    Image1_->setGeometry(TwipsRect(480, 960, 1395, 795));
    Image1_->setScaledContents(true); // stretched to the box, proportions not kept
    Image1_->setPixmap(QPixmap(QStringLiteral(":/velmora/about.jpg")));
    Image1_->setFocusPolicy(Qt::NoFocus);
    Image1_->setAccessibleName(QStringLiteral("木々の間の滝の写真"));

    Label1_ = MakeLabel<QLabel>(this, "Label1", QStringLiteral("Mosswick"),
                                TwipsRect(2040, 960, 1575, 375));
    Label1_->setFont(MsGothic(18, true));
    SetTextColour(Label1_, kDarkBlue);

    Label3_ = MakeLabel<QLabel>(this, "Label3", QStringLiteral("Ver.0.7"),
                                TwipsRect(3600, 1080, 1215, 255));
    Label3_->setFont(MsPGothic(11.25, true));

    Label2_ = MakeLabel<QLabel>(this, "Label2", QStringLiteral("Mosswick 2025-2026"),
                                TwipsRect(2280, 1440, 2535, 255));
    Label2_->setFont(MsPGothic(12, true));

    lblURL_ = MakeLabel<LinkLabel>(this, "lblURL", QStringLiteral("lblURL"),
                                   TwipsRect(480, 2160, 4695, 255));
    QFont urlFont = MsPGothic(9, false);
    urlFont.setUnderline(true);
    lblURL_->setFont(urlFont);
    SetTextColour(lblURL_, kLinkBlue);
    lblURL_->setAccessibleDescription(QStringLiteral("ウェブブラウザーでページを開きます"));

    lblMail_ = MakeLabel<LinkLabel>(this, "lblMail", QStringLiteral("lblMail"),
                                    TwipsRect(480, 2400, 2775, 255));
    SetTextColour(lblMail_, kLinkBlue);
    lblMail_->setAccessibleDescription(QStringLiteral("メールソフトで新しいメールを作ります"));

    CmdOk_ = new VbButton(QStringLiteral("OK"), this);
    CmdOk_->setObjectName(QStringLiteral("CmdOk"));
    CmdOk_->setGeometry(TwipsRect(3960, 2640, 1215, 495));
    CmdOk_->setFont(FontWithFallbacks(QStringLiteral("Times New Roman"), 12, true));
    // Neither the default nor the cancel button: Enter presses it only because it holds the
    // focus, Escape does nothing.
    CmdOk_->setAutoDefault(false);
    CmdOk_->setDefault(false);
    CmdOk_->setFocusPolicy(Qt::StrongFocus);

    // OK holds the focus; Tab goes on to the two links.
    setTabOrder(CmdOk_, lblURL_);
    setTabOrder(lblURL_, lblMail_);
    CmdOk_->setFocus();

    connect(CmdOk_, &QPushButton::clicked, this, &FrmVer::CmdOK_Click);
    connect(lblURL_, &LinkLabel::Click, this, &FrmVer::lblURL_Click);
    connect(lblMail_, &LinkLabel::Click, this, &FrmVer::lblMail_Click);

    Form_Load();
}

void FrmVer::Form_Load() {
    lblURL_->setText(WebPageAddress.toString());
    lblURL_->setAccessibleName(WebPageAddress.toString());
    lblMail_->setText(MailAddress.toString());
    lblMail_->setAccessibleName(MailAddress.toString());
}

void FrmVer::Form_Activate() {
    CmdOk_->setFocus(Qt::ActiveWindowFocusReason);
}

void FrmVer::Form_Unload() {
    if (!registrationWindow_)
        return;
    registrationWindow_->setWindowState(registrationWindow_->windowState() & ~Qt::WindowMinimized);
    registrationWindow_->show();
}

void FrmVer::CmdOK_Click() {
    close();
}

// The desktop's handler is asked every time: it reuses a browser that is already open, and
// there is no reliable way to tell from here whether one is.
void FrmVer::OpenWebPage() {
    platform_.OpenUrl(ToUtf8(WebPageAddress.toString()));
}

void FrmVer::OpenMailTo() {
    platform_.OpenUrl(ToUtf8(QStringLiteral("mailto:") + MailAddress.toString()));
}

void FrmVer::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        CentreOnScreen(*this, platform_); // before the dialog would place itself over its parent
        open_ = true;
    }
    QDialog::showEvent(event);
}

// Every way of closing (OK, the close box, Alt+F4, done()) ends in a hide by the program;
// hides that the window system reports on its own do not unload the window.
void FrmVer::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous() && open_) {
        open_ = false;
        Form_Unload();
    }
}

void FrmVer::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void FrmVer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // no button is the cancel button
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace velmora
