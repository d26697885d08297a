// SPDX-License-Identifier: MIT
#pragma once

#include "LinuxPlatform.h"
#include "MessageRecorder.h"

namespace velmora::test {

// The real Linux services with their message boxes recorded instead of shown.
class RecordingPlatform : public LinuxPlatform, public MessageRecorder {
  public:
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        return Record(text, style, title);
    }
};

} // namespace velmora::test
