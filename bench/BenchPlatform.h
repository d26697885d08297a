// SPDX-License-Identifier: MIT
#pragma once

#include "LinuxPlatform.h"

#include <cstdio>

namespace velmora::bench {

// The real Linux services with message boxes printed instead of shown: the bench has no
// screen and nobody to answer.
class BenchPlatform : public LinuxPlatform {
  public:
    int shown = 0;
    int MsgBox(const std::string& text, int, const std::string&) override {
        ++shown;
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return MsgBoxResult::Ok;
    }
};

} // namespace velmora::bench
