// SPDX-License-Identifier: MIT
#include "MessageRecorder.h"

#include "QtText.h"
#include "SystemServices.h"

namespace velmora::test {

int MessageRecorder::Record(const std::string& text, int style, const std::string& title) {
    msgBoxes.append({FromUtf8(text), style, FromUtf8(title)});
    if (onMsgBox)
        onMsgBox(msgBoxes.back());
    if (!msgBoxAnswers.isEmpty())
        return msgBoxAnswers.takeFirst();
    if (yesToRemoval && style == kRemovalQuestionStyle)
        return MsgBoxResult::Yes;
    return (style & 7) == MsgBoxStyle::YesNo ? MsgBoxResult::No : MsgBoxResult::Ok;
}

int MessageRecorder::ErrorNumberOf(const MsgBoxCall& box) {
    if (box.title != QStringLiteral("エラー") || box.style != MsgBoxStyle::Critical)
        return 0;
    const qsizetype colon = box.text.indexOf(u':');
    bool isNumber = false;
    const int number = colon > 0 ? box.text.left(colon).toInt(&isNumber) : 0;
    return isNumber ? number : 0;
}

} // namespace velmora::test
