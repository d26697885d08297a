// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <string>

namespace velmora::test {

struct MsgBoxCall {
    QString text;
    int style;
    QString title;
};

// Message boxes recorded and answered instead of shown: the one stand-in for the user in
// front of a message box, shared by every test platform.
class MessageRecorder {
  public:
    QList<MsgBoxCall> msgBoxes;
    // Taken in order; when none is left: Yes to the removal question when yesToRemoval is
    // set, otherwise No for a Yes/No box and OK for any other.
    QList<int> msgBoxAnswers;
    bool yesToRemoval = false;
    // Called when a message box is shown (before it is answered).
    std::function<void(const MsgBoxCall&)> onMsgBox;

    int Record(const std::string& text, int style, const std::string& title);

    // The number of an error report ("61:..."), or 0 when the box is no error report.
    static int ErrorNumberOf(const MsgBoxCall& box);
};

// The style of the removal question: Yes/No, question mark, No as the default.
constexpr int kRemovalQuestionStyle = 292;

} // namespace velmora::test
