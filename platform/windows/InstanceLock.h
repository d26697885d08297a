// SPDX-License-Identifier: MIT
#pragma once

#include "Handle.h"

#include <string>

namespace velmora::windows_impl {

// The name of the mutex that stands for one data folder: the same for every spelling of
// the folder (letter case, trailing "\", relative forms), for every user and session.
std::wstring InstanceMutexName(const std::wstring& folder);

// One program per data folder, held by a named mutex for as long as this object lives.
class InstanceLock {
  public:
    // True when another program holds folder's mutex; otherwise takes it and keeps it.
    bool HeldByAnother(const std::wstring& folder);

  private:
    Handle mutex_;
    std::wstring heldName_;
};

} // namespace velmora::windows_impl
