// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringView>

class QLabel;
class QPushButton;

namespace velmora {

class LinkLabel;
class Platform;

// The About window: names, version, maker, a picture and links to the maker's web page and
// mail address. The registration window that opens it is minimised meanwhile and restored
// when it closes, however it is closed.
class FrmVer : public QDialog {
    Q_OBJECT
  public:
    static constexpr QStringView WebPageAddress = u"https://www.example.com/velmora/";
    static constexpr QStringView MailAddress = u"velmora@example.com";

    // Runs Form_Load: the window is ready to be shown.
    FrmVer(Platform& platform, QWidget* registrationWindow);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void CmdOK_Click();
    void lblURL_Click() { OpenWebPage(); }
    void lblMail_Click() { OpenMailTo(); }
    void OpenWebPage();
    void OpenMailTo();

    Platform& platform_;
    QPointer<QWidget> registrationWindow_;
    bool open_ = false; // shown and not yet unloaded

    QLabel* Label4_ = nullptr;
    QLabel* Label5_ = nullptr;
    QLabel* Image1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label3_ = nullptr;
    QLabel* Label2_ = nullptr;
    LinkLabel* lblURL_ = nullptr;
    LinkLabel* lblMail_ = nullptr;
    QPushButton* CmdOk_ = nullptr;
};

} // namespace velmora
