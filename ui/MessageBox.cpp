// SPDX-License-Identifier: MIT
#include "MessageBox.h"

#include "SystemServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace velmora {

namespace {
QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonChoice {
    const char16_t* text;
    int result;
};

// The captions and access keys of the system's own Japanese message boxes: Y or Alt+Y answers
// Yes, N or Alt+N answers No.
QList<ButtonChoice> ButtonsOf(int style) {
    switch (style & 0x7) {
    case 1:
        return {{u"OK", MsgBoxResult::Ok}, {u"キャンセル", MsgBoxResult::Cancel}};
    case 3:
        return {{u"はい(&Y)", MsgBoxResult::Yes},
                {u"いいえ(&N)", MsgBoxResult::No},
                {u"キャンセル", MsgBoxResult::Cancel}};
    case 4:
        return {{u"はい(&Y)", MsgBoxResult::Yes}, {u"いいえ(&N)", MsgBoxResult::No}};
    default:
        return {{u"OK", MsgBoxResult::Ok}};
    }
}

} // namespace

int ShowMessageBox(const QString& text, int style, const QString& title) {
    QMessageBox box(IconOf(style), title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const QList<ButtonChoice> choices = ButtonsOf(style);
    QList<QAbstractButton*> buttons;
    for (const ButtonChoice& choice : choices) {
        const bool rejects =
            choice.result == MsgBoxResult::No || choice.result == MsgBoxResult::Cancel;
        buttons << box.addButton(QString::fromUtf16(choice.text),
                                 rejects ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    const int defaultIndex = (style & 0x300) >> 8;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[defaultIndex]));
    // Escape answers Cancel, else No, else the one button there is.
    box.setEscapeButton(buttons.back());
    box.exec();
    const int pressed = buttons.indexOf(box.clickedButton());
    if (pressed < 0) // closed by Escape or the title bar
        return choices.size() == 1 ? MsgBoxResult::Ok : choices.back().result;
    return choices[pressed].result;
}

} // namespace velmora
